// The record editor's logic: the field checks, password and notes through the cipher, the
// chosen row read back, and the way the account page runs its statements.
#include <gtest/gtest.h>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "platform/base/Error.h"
#include "store/Browse.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/RecordFields.h"
#include "store/Statements.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempAppDir.h"

namespace tessavo::store {
namespace {

RecordFields complete() {
    RecordFields fields;
    fields.编号 = QStringLiteral("7");
    fields.分类 = QStringLiteral("常用邮箱");
    fields.标题 = QStringLiteral("Gmail");
    fields.帐号 = QStringLiteral("alice");
    fields.密码 = QStringLiteral("pw");
    return fields;
}

struct MissingCase {
    const char* name;
    QString RecordFields::*emptied;
    EditorCommand command;
    std::optional<QString> message;
};

void PrintTo(const MissingCase& c, std::ostream* out) { *out << c.name; }

class MissingFields : public testing::TestWithParam<MissingCase> {};

TEST_P(MissingFields, NameTheFirstEmptyRequiredField) {
    RecordFields fields = complete();
    if (GetParam().emptied != nullptr) fields.*GetParam().emptied = QString();
    EXPECT_EQ(missingFieldMessage(fields, GetParam().command), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, MissingFields,
    testing::Values(
        MissingCase{"AddComplete", nullptr, EditorCommand::Add, std::nullopt},
        MissingCase{"AddWithoutNumber", &RecordFields::编号, EditorCommand::Add, std::nullopt},
        MissingCase{"AddWithoutAddress", &RecordFields::网址, EditorCommand::Add, std::nullopt},
        MissingCase{"AddWithoutNotes", &RecordFields::备注, EditorCommand::Add, std::nullopt},
        MissingCase{"AddWithoutCategory", &RecordFields::分类, EditorCommand::Add, QStringLiteral("请选择分类.")},
        MissingCase{"AddWithoutTitle", &RecordFields::标题, EditorCommand::Add, QStringLiteral("请填写标题.")},
        MissingCase{"AddWithoutAccount", &RecordFields::帐号, EditorCommand::Add, QStringLiteral("请填写帐号.")},
        MissingCase{"AddWithoutPassword", &RecordFields::密码, EditorCommand::Add, QStringLiteral("请填写密码.")},
        MissingCase{"ModifyComplete", nullptr, EditorCommand::Modify, std::nullopt},
        MissingCase{"ModifyWithoutNumber", &RecordFields::编号, EditorCommand::Modify, QStringLiteral("不可编辑")},
        MissingCase{"ModifyWithoutTitle", &RecordFields::标题, EditorCommand::Modify, QStringLiteral("请填写标题.")}),
    [](const testing::TestParamInfo<MissingCase>& info) { return std::string(info.param.name); });

TEST(MissingFieldsOrder, TheFirstFailingCheckWinsAndBlanksAreText) {
    EXPECT_EQ(missingFieldMessage(RecordFields{}, EditorCommand::Modify), QStringLiteral("不可编辑"));
    EXPECT_EQ(missingFieldMessage(RecordFields{}, EditorCommand::Add), QStringLiteral("请选择分类."));
    RecordFields fields = complete();
    fields.标题.clear();
    fields.密码.clear();
    EXPECT_EQ(missingFieldMessage(fields, EditorCommand::Add), QStringLiteral("请填写标题."));
    RecordFields blanks{QStringLiteral(" "), QStringLiteral(" "), {}, QStringLiteral(" "),
                        QStringLiteral(" "), QStringLiteral(" "), {}};
    EXPECT_EQ(missingFieldMessage(blanks, EditorCommand::Modify), std::nullopt);
}

class AccountTextCipher : public testing::Test {
protected:
    AccountTextCipher() { cipher::setAccountKey("40618253"); }
};

TEST_F(AccountTextCipher, TextsComeBackWholeThroughTheCodePage) {
    for (const QString& plain : {QStringLiteral("pw"), QStringLiteral("密 码'1"), QStringLiteral("第一行\r\n第二行"),
                                 QStringLiteral("exactly8"), QStringLiteral("€ and 😀"), QString()}) {
        const QString cipher = encryptAccountText(plain);
        EXPECT_FALSE(cipher.isEmpty());
        EXPECT_EQ(cipher.size() % 16, 0);
        EXPECT_TRUE(std::all_of(cipher.begin(), cipher.end(), [](QChar c) {
            return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
        })) << cipher.toStdString();
        EXPECT_EQ(decryptAccountText(cipher), plain) << plain.toStdString();
    }
}

TEST_F(AccountTextCipher, TheCipherIsThatOfTheGb18030Bytes) {
    EXPECT_EQ(cipher::DesDecryptFromHex(encryptAccountText(QStringLiteral("密码")).toStdString(), cipher::AccountKey()),
              std::string("\xC3\xDC\xC2\xEB"));
}

TEST_F(AccountTextCipher, EmptyOrInvalidCipherTextDecryptsToEmptyText) {
    for (const QString& cipher : {QString(), QStringLiteral("XYZ"), QStringLiteral("密码")})
        EXPECT_TRUE(decryptAccountText(cipher).isEmpty()) << cipher.toStdString();
}

TEST(NotesLineBreaks, EveryLineBreakOfTheEditorBecomesCarriageReturnLineFeed) {
    EXPECT_EQ(notesWithWindowsLineBreaks(QStringLiteral("a\nb\n\nc")), QStringLiteral("a\r\nb\r\n\r\nc"));
    EXPECT_EQ(notesWithWindowsLineBreaks(QStringLiteral("one line")), QStringLiteral("one line"));
}

// ---- over a real database file

class EditorRows : public testing::Test {
protected:
    EditorRows() : connection_(app_.connectionString()), query_(connection_) {
        cipher::setAccountKey("40618253");
        query_.setObjectName(QStringLiteral("ADOQuery1"));
    }

    test::TempAppDir app_;
    Connection connection_;
    Query query_;
};

TEST_F(EditorRows, AStoredRecordReadsBackAsTyped) {
    RecordFields typed = complete();
    typed.编号.clear();
    typed.标题 = QStringLiteral("O'Brien");
    typed.网址 = QStringLiteral("http://x.example/'");
    typed.备注 = QStringLiteral("line 1\r\nline 2");
    EXPECT_EQ(executeChange(query_, {sql::insertRecord(recordToStore(typed))}), 1);
    openBrowse(query_, sql::browseByUse());
    const RecordFields read = chosenRowFields(query_);
    EXPECT_EQ(read.编号, QString::number(connection_.database().lastInsertRowId()));
    EXPECT_EQ(read.分类, typed.分类);
    EXPECT_EQ(read.网址, typed.网址);
    EXPECT_EQ(read.标题, typed.标题);
    EXPECT_EQ(read.帐号, typed.帐号);
    EXPECT_EQ(read.密码, typed.密码);
    EXPECT_EQ(read.备注, typed.备注);
    EXPECT_EQ(query_.field(5), recordToStore(typed).密码);  // stored as cipher text
}

TEST_F(EditorRows, ARowWithoutNotesOrWithBrokenCipherReadsAsEmptyTexts) {
    AccountRecord record;
    record.分类 = QStringLiteral("c");
    record.密码 = QStringLiteral("NOT HEX");
    app_.addRecord(record);  // 备注 without a value
    openBrowse(query_, sql::browseByUse());
    const RecordFields read = chosenRowFields(query_);
    EXPECT_TRUE(read.密码.isEmpty());
    EXPECT_TRUE(read.备注.isEmpty());
    EXPECT_FALSE(read.编号.isEmpty());
}

TEST_F(EditorRows, ReadingAClosedResultFailsWithTheDataLayersError) { EXPECT_THROW(chosenRowFields(query_), Error); }

TEST_F(EditorRows, OpenBrowseReplacesTheResultAndExecuteChangeSendsEveryLine) {
    app_.addRecords({AccountRecord{0, QStringLiteral("a"), {}, QStringLiteral("t1"), {}, {}, {}, 1},
                     AccountRecord{0, QStringLiteral("a"), {}, QStringLiteral("t2"), {}, {}, {}, 2}});
    openBrowse(query_, sql::browseByUse());
    EXPECT_EQ(query_.recordCount(), 2);
    EXPECT_EQ(query_.sql(), QStringList{sql::browseByUse()});
    RecordFields changed = complete();
    changed.编号 = query_.field(0);
    const QStringList lines = sql::modifyRecord(recordToStore(changed), changed.编号);
    EXPECT_EQ(executeChange(query_, lines), 1);
    EXPECT_EQ(query_.sql(), lines);
    EXPECT_FALSE(query_.isOpen());  // a change statement on the browse query closes its result
    openBrowse(query_, sql::browseCategory(QStringLiteral("常用邮箱")));
    ASSERT_EQ(query_.recordCount(), 1);
    EXPECT_EQ(query_.field(3), QStringLiteral("Gmail"));
}

TEST(CountTexts, SayHowManyRowsTheLastLoadFound) {
    EXPECT_EQ(allRecordsCountText(12), QStringLiteral("共12条信息"));
    EXPECT_EQ(allRecordsCountText(0), QStringLiteral("共0条信息"));
    EXPECT_EQ(categoryCountText(QStringLiteral("常用邮箱"), 2), QStringLiteral("常用邮箱分类下共有2条"));
    EXPECT_EQ(searchCountText(QStringLiteral("mail"), 0), QStringLiteral("关于mail的信息,共搜索到0条"));
}

}  // namespace
}  // namespace tessavo::store
