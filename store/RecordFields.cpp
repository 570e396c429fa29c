#include "store/RecordFields.h"

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "platform/base/AnsiCodePage.h"
#include "platform/base/Wipe.h"
#include "store/Query.h"

namespace tessavo::store {

namespace {

// Field positions of a browse result, which stands in table order.
enum Position { k编号, k分类, k网址, k标题, k帐号, k密码, k备注 };

}  // namespace

// The 8-bit copies of a secret are wiped before their memory goes back to the heap.
QString encryptAccountText(const QString& plain, const std::string& key) {
    std::string bytes = platform::toAnsi(plain);
    const QString cipher = QString::fromLatin1(cipher::DesEncryptToHex(bytes, key));
    platform::wipe(bytes);
    return cipher;
}

QString decryptAccountText(const QString& cipher, const std::string& key) {
    std::string bytes = cipher::DesDecryptFromHex(cipher.toStdString(), key);
    const QString plain = platform::fromAnsi(bytes);
    platform::wipe(bytes);
    return plain;
}

QString encryptAccountText(const QString& plain) { return encryptAccountText(plain, cipher::AccountKey()); }

QString decryptAccountText(const QString& cipher) { return decryptAccountText(cipher, cipher::AccountKey()); }

RecordFields chosenRowFields(const Query& query) {
    RecordFields fields;
    fields.编号 = query.field(k编号);
    fields.分类 = query.field(k分类);
    fields.网址 = query.field(k网址);
    fields.标题 = query.field(k标题);
    fields.帐号 = query.field(k帐号);
    fields.密码 = decryptAccountText(query.field(k密码));
    fields.备注 = decryptAccountText(query.field(k备注));
    return fields;
}

AccountRecord recordToStore(const RecordFields& fields, const std::string& key) {
    AccountRecord record;
    record.分类 = fields.分类;
    record.网址 = fields.网址;
    record.标题 = fields.标题;
    record.帐号 = fields.帐号;
    record.密码 = encryptAccountText(fields.密码, key);
    record.备注 = encryptAccountText(fields.备注, key);
    return record;
}

AccountRecord recordToStore(const RecordFields& fields) { return recordToStore(fields, cipher::AccountKey()); }

QString notesWithWindowsLineBreaks(const QString& editorText) {
    QString notes = editorText;
    return notes.replace(u'\n', QStringLiteral("\r\n"));
}

std::optional<QString> missingFieldMessage(const RecordFields& fields, EditorCommand command) {
    if (command == EditorCommand::Modify && fields.编号.isEmpty()) return QStringLiteral("不可编辑");
    const std::pair<const QString*, const char16_t*> required[] = {
        {&fields.分类, u"请选择分类."},
        {&fields.标题, u"请填写标题."},
        {&fields.帐号, u"请填写帐号."},
        {&fields.密码, u"请填写密码."},
    };
    for (const auto& [text, message] : required)
        if (text->isEmpty()) return QString::fromUtf16(message);
    return std::nullopt;
}

}  // namespace tessavo::store
