#include "tests/support/AccountRecords.h"

#include <gtest/gtest.h>

#include "store/Browse.h"
#include "store/Connection.h"
#include "store/ConnectionString.h"
#include "store/Query.h"
#include "store/RecordFields.h"
#include "store/Statements.h"

namespace tessavo::test {

std::vector<qint64> storeRecords(store::Connection& connection, const std::vector<PlainRecord>& records) {
    store::Query query(connection);
    std::vector<qint64> numbers;
    for (const PlainRecord& plain : records) {
        store::RecordFields fields;
        fields.分类 = plain.分类;
        fields.网址 = plain.网址;
        fields.标题 = plain.标题;
        fields.帐号 = plain.帐号;
        fields.密码 = plain.密码;
        fields.备注 = plain.备注;
        store::executeChange(query, {store::sql::insertRecord(store::recordToStore(fields))});
        const qint64 number = connection.database().lastInsertRowId();
        store::executeChange(query,
                             {QStringLiteral("update data set 统计=%1 where 编号=%2").arg(plain.统计).arg(number)});
        numbers.push_back(number);
    }
    return numbers;
}

std::vector<StoredRow> storedRows(store::Connection& connection) {
    store::Query query(connection);
    store::openBrowse(query, QStringLiteral("select 编号,分类,网址,标题,帐号,密码,备注,统计,备注 is not null from data "
                                            "order by 编号"));
    std::vector<StoredRow> rows;
    for (int row = 0; row < query.recordCount(); ++row, query.next()) {
        rows.push_back({query.field(0), query.field(1), query.field(2), query.field(3), query.field(4), query.field(5),
                        query.field(6), query.field(7), query.field(8) == QStringLiteral("1")});
    }
    return rows;
}

StoredRow storedRow(store::Connection& connection, qint64 number) {
    for (const StoredRow& row : storedRows(connection))
        if (row.编号 == QString::number(number)) return row;
    ADD_FAILURE() << "no row with 编号 " << number;
    return {};
}

QStringList categoriesInFile(const QString& path) {
    store::SqlCipherFile file(path, QString::fromUtf16(store::kDatabasePassword));
    store::SqlStatement select = file.prepare(QStringLiteral("select 分类 from data order by 编号"));
    QStringList categories;
    while (select.step()) categories.append(select.text(0));
    return categories;
}

void runStatement(store::Connection& connection, const QString& statement) {
    store::Query query(connection);
    store::executeChange(query, {statement});
}

}  // namespace tessavo::test
