#pragma once

#include <QString>
#include <optional>
#include <string>

#include "store/AccountRecord.h"

namespace tessavo::store {

class Query;

// The record editor's texts as the user sees them: password and notes in plain text.
struct RecordFields {
    QString 编号;  // the chosen row's number as text; empty when no row is chosen
    QString 分类;
    QString 网址;
    QString 标题;
    QString 帐号;
    QString 密码;
    QString 备注;  // lines joined by carriage return and line feed
};

// Password and notes go through the 8-bit code page and the text cipher under AccountKey.
QString encryptAccountText(const QString& plain);
// Empty or invalid cipher text decrypts to empty text.
QString decryptAccountText(const QString& cipher);
// The same under a key the caller names (see kAccountKeyText), for programs without the main
// window that sets AccountKey.
QString encryptAccountText(const QString& plain, const std::string& key);
QString decryptAccountText(const QString& cipher, const std::string& key);

// The current row of an open browse result (columns in table order) as the editor shows it.
RecordFields chosenRowFields(const Query& query);
// The row to write: 密码 and 备注 encrypted, the notes also when they are empty.
AccountRecord recordToStore(const RecordFields& fields);
AccountRecord recordToStore(const RecordFields& fields, const std::string& key);

// The notes of a multi-line editor (lines joined by "\n") as they are stored.
QString notesWithWindowsLineBreaks(const QString& editorText);

// Which editor command checks the fields: the change of a chosen row needs its number too.
enum class EditorCommand { Add, Modify };
// The message of the first field that must not be empty, in the editor's order; none when
// the fields may be written. A field is empty only when it holds no character at all.
std::optional<QString> missingFieldMessage(const RecordFields& fields, EditorCommand command);

}  // namespace tessavo::store
