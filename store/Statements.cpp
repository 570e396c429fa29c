#include "store/Statements.h"

#include <algorithm>

#include "platform/base/Error.h"

namespace tessavo::store::sql {

namespace {

// A value between single quotes.
QString quoted(const QString& value) { return u'\'' + quotedText(value) + u'\''; }

bool isDecimalDigits(const QString& text) {
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The search column stands in the statement as it is, so only a column of data is taken.
QString dataColumn(const QString& column) {
    static const QStringList columns = {QStringLiteral("编号"), QStringLiteral("分类"), QStringLiteral("网址"),
                                        QStringLiteral("标题"), QStringLiteral("帐号"), QStringLiteral("密码"),
                                        QStringLiteral("备注"), QStringLiteral("统计")};
    if (!columns.contains(column)) throw Error(QStringLiteral("\"%1\" is not a column of table data.").arg(column));
    return column;
}

}  // namespace

QString quotedText(const QString& value) {
    QString doubled = value;
    return doubled.replace(u'\'', QStringLiteral("''"));
}

QString recordNumber(const QString& number) {
    if (!isDecimalDigits(number)) throw Error(QStringLiteral("\"%1\" is not a record number.").arg(number));
    return number;
}

QString browseByUse() {
    return QStringLiteral("Select 编号,分类,网址,标题,帐号,密码,备注 from data  order by 统计 desc");
}

QString searchRecords(const QString& column, const QString& keyword) {
    return QStringLiteral("Select  编号,分类,网址,标题,帐号,密码,备注  from data where ") + dataColumn(column) +
           QStringLiteral(" like '%") + quotedText(keyword) + QStringLiteral("%' ");
}

QString browseAllColumns() { return QStringLiteral("Select * from data"); }

QString browseCategory(const QString& category) {
    return QStringLiteral("Select  编号,分类,网址,标题,帐号,密码,备注  from data where 分类=") + quoted(category) +
           QStringLiteral("   order by 统计 desc");
}

QString browseUnsorted() { return QStringLiteral("Select  编号,分类,网址,标题,帐号,密码,备注  from data"); }

QString raiseUseCount(const QString& number) {
    return QStringLiteral("update data  set 统计=统计+1 where  编号=") + recordNumber(number);
}

QString setUseCount(const QString& number, qint64 count) {
    return QStringLiteral("update data  set 统计=") + QString::number(count) + QStringLiteral(" where  编号=") +
           recordNumber(number);
}

QString insertRecord(const AccountRecord& record) {
    return QStringLiteral("Insert into data (分类,标题,网址,帐号,密码,备注) values (") + quoted(record.分类) + u',' +
           quoted(record.标题) + u',' + quoted(record.网址) + u',' + quoted(record.帐号) + u',' + quoted(record.密码) +
           u',' + quoted(record.备注) + u')';
}

QStringList modifyRecord(const AccountRecord& record, const QString& number) {
    return {
        QStringLiteral("update data  set 分类=") + quoted(record.分类) + u' ',
        QStringLiteral(", 网址=") + quoted(record.网址) + u' ',
        QStringLiteral(", 标题=") + quoted(record.标题) + u' ',
        QStringLiteral(", 帐号=") + quoted(record.帐号) + u' ',
        QStringLiteral(", 密码=") + quoted(record.密码) + u' ',
        QStringLiteral(", 备注=") + quoted(record.备注) + u' ',
        QStringLiteral("where  编号=") + recordNumber(number),
    };
}

QString insertCategoryPlaceholder(const QString& name, const QString& passwordCipher) {
    return QStringLiteral("Insert into data (分类,标题,网址,帐号,密码) values (") + quoted(name) +
           QStringLiteral(",'标题','http://','账号',") + quoted(passwordCipher) + u')';
}

QStringList renameCategory(const QString& newName, const QString& oldName) {
    return {
        QStringLiteral("update data  set 分类=") + quoted(newName) + u' ',
        QStringLiteral("where  分类=") + quoted(oldName) + u' ',
    };
}

QString deleteCategory(const QString& name) {
    return QStringLiteral("delete from data where 分类=") + quoted(name) + u' ';
}

QString deleteAllRecords() { return QStringLiteral("delete from data"); }

QString browseAfterClear() { return QStringLiteral("select * from data"); }

QString readManagementPassword() { return QStringLiteral("Select 密码 from Pass"); }

QString writeManagementPassword(const QString& cipher) {
    return QStringLiteral("update Pass  set 密码=") + quoted(cipher) + u' ';
}

}  // namespace tessavo::store::sql
