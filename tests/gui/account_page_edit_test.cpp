// The write side of the account page: add, modify, delete of the grid's current row, and the
// editor reset, with their messages.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "app/Unit1.h"
#include "platform/desktop/Guard.h"
#include "store/Query.h"
#include "store/RecordFields.h"
#include "tests/support/AccountPage.h"
#include "tests/support/QtPrinters.h"

using namespace tessavo;

namespace {

// By use: Gmail (9), Steam (5), Outlook (3).
std::vector<test::PlainRecord> threeRecords() {
    return {
        {QStringLiteral("常用邮箱"), QStringLiteral("Gmail"), QStringLiteral("alice"), QStringLiteral("pw-g"),
         QStringLiteral("notes g"), QStringLiteral("https://mail.example"), 9},
        {QStringLiteral("游戏账号"), QStringLiteral("Steam"), QStringLiteral("bob"), QStringLiteral("pw-s"), {}, {}, 5},
        {QStringLiteral("常用邮箱"),
         QStringLiteral("Outlook"),
         QStringLiteral("carol"),
         QStringLiteral("pw-o"),
         {},
         {},
         3},
    };
}

constexpr int kTitle = 3;

const QString kT = QStringLiteral("title");
const QString kA = QStringLiteral("account");
const QString kP = QStringLiteral("password");

class Editing : public test::AccountPage {
protected:
    void SetUp() override {
        AccountPage::SetUp();
        logInWith(threeRecords());
    }

    void chooseCategory(const QString& name) {
        main().Edit_FenLei->setCurrentIndex(main().Edit_FenLei->findText(name, Qt::MatchFixedString));
    }

    // The editor filled as a user would type a new record.
    void typeRecord(const QString& category, const QString& title, const QString& account, const QString& password,
                    const QString& address = {}, const QString& notes = {}) {
        chooseCategory(category);
        main().Edit_BiaoTi->setText(title);
        main().Edit_ZhangHao->setText(account);
        main().Edit_MiMa->setText(password);
        main().Edit_WangZhi->setText(address);
        main().Memo_BeiZhu->setPlainText(notes);
    }

    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    std::size_t rowCount() { return test::storedRows(connection()).size(); }

    bool editorEmpty() {
        return main().Edit_BianHao->text().isEmpty() && main().Edit_WangZhi->text().isEmpty() &&
               main().Edit_BiaoTi->text().isEmpty() && main().Edit_ZhangHao->text().isEmpty() &&
               main().Edit_MiMa->text().isEmpty() && main().Memo_BeiZhu->toPlainText().isEmpty();
    }
};

// ---- checks of the fields

struct MissingCase {
    const char* name;
    bool chooseRow;  // a cell click before, so the record number is there
    bool category;
    QString title;
    QString account;
    QString password;
    QString message;
};

void PrintTo(const MissingCase& c, std::ostream* out) { *out << c.name; }

class MissingField : public Editing, public testing::WithParamInterface<MissingCase> {};

TEST_P(MissingField, TheFirstEmptyFieldIsNamedAndNothingIsWritten) {
    const MissingCase& c = GetParam();
    if (c.chooseRow) clickRow(0);
    const std::vector<test::StoredRow> before = test::storedRows(connection());
    main().Edit_FenLei->setCurrentIndex(c.category ? 0 : -1);
    main().Edit_BiaoTi->setText(c.title);
    main().Edit_ZhangHao->setText(c.account);
    main().Edit_MiMa->setText(c.password);
    click(c.chooseRow ? main().Button2 : main().Button1);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{c.message});
    EXPECT_EQ(test::storedRows(connection()).size(), before.size());
    EXPECT_EQ(test::storedRows(connection()).front().标题, before.front().标题);
    EXPECT_EQ(main().Edit_BiaoTi->text(), c.title);  // the editor keeps its texts
    EXPECT_EQ(gridRows(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    AddAndModify, MissingField,
    testing::Values(MissingCase{"AddWithoutCategory", false, false, kT, kA, kP, QStringLiteral("请选择分类.")},
                    MissingCase{"AddWithoutAnything", false, false, {}, {}, {}, QStringLiteral("请选择分类.")},
                    MissingCase{"AddWithoutTitle", false, true, {}, kA, kP, QStringLiteral("请填写标题.")},
                    MissingCase{"AddWithoutAccount", false, true, kT, {}, {}, QStringLiteral("请填写帐号.")},
                    MissingCase{"AddWithoutPassword", false, true, kT, kA, {}, QStringLiteral("请填写密码.")},
                    MissingCase{"ModifyWithoutCategory", true, false, kT, kA, kP, QStringLiteral("请选择分类.")},
                    MissingCase{"ModifyWithoutTitle", true, true, {}, kA, kP, QStringLiteral("请填写标题.")},
                    MissingCase{"ModifyWithoutAccount", true, true, kT, {}, kP, QStringLiteral("请填写帐号.")},
                    MissingCase{"ModifyWithoutPassword", true, true, kT, kA, {}, QStringLiteral("请填写密码.")}),
    [](const testing::TestParamInfo<MissingCase>& info) { return std::string(info.param.name); });

TEST_F(Editing, ModifyBeforeAnyChoiceIsRefusedWhateverTheFields) {
    typeRecord(QStringLiteral("游戏账号"), kT, kA, kP);
    click(main().Button2);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("不可编辑")});
    clickRow(1);
    platform::trigger(main().Button_ClearAllEdit);  // the reset forgets the chosen row
    typeRecord(QStringLiteral("游戏账号"), kT, kA, kP);
    click(main().Button2);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("不可编辑")});
    EXPECT_EQ(test::storedRow(connection(), numbers[1]).标题, QStringLiteral("Steam"));
}

// ---- add

TEST_F(Editing, AddStoresTheRecordEncryptedThenResetsAndRefreshes) {
    typeRecord(QStringLiteral("游戏账号"), QStringLiteral("Tom's Game"), QStringLiteral("d'Artagnan"),
               QStringLiteral("密 码'1"), QStringLiteral("http://x.example/?a='b'"), QStringLiteral("第一行\n'二'"));
    click(main().Button1);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("添加成功.")});

    const std::vector<test::StoredRow> rows = test::storedRows(connection());
    ASSERT_EQ(rows.size(), 4u);
    const test::StoredRow& added = rows.back();
    EXPECT_EQ(added.分类, QStringLiteral("游戏账号"));
    EXPECT_EQ(added.标题, QStringLiteral("Tom's Game"));
    EXPECT_EQ(added.帐号, QStringLiteral("d'Artagnan"));
    EXPECT_EQ(added.网址, QStringLiteral("http://x.example/?a='b'"));
    EXPECT_EQ(store::decryptAccountText(added.密码), QStringLiteral("密 码'1"));
    EXPECT_EQ(store::decryptAccountText(added.备注), QStringLiteral("第一行\r\n'二'"));
    EXPECT_EQ(added.统计, QStringLiteral("0"));

    EXPECT_TRUE(editorEmpty());
    EXPECT_EQ(main().Edit_FenLei->currentText(), QStringLiteral("游戏账号"));  // the reset keeps the category
    EXPECT_EQ(main().panelText(app::kRecordCountPanel), QStringLiteral("共4条信息"));
    EXPECT_EQ(gridColumn(kTitle).last(), QStringLiteral("Tom's Game"));
}

TEST_F(Editing, AddWithoutAddressAndNotesStoresTheCipherOfEmptyNotes) {
    typeRecord(QStringLiteral("常用邮箱"), QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" "));
    click(main().Button1);  // blanks are text
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("添加成功.")});
    const test::StoredRow added = test::storedRows(connection()).back();
    EXPECT_TRUE(added.网址.isEmpty());
    EXPECT_TRUE(added.备注HasValue);
    EXPECT_FALSE(added.备注.isEmpty());
    EXPECT_TRUE(store::decryptAccountText(added.备注).isEmpty());
    EXPECT_EQ(store::decryptAccountText(added.密码), QStringLiteral(" "));
}

TEST_F(Editing, AddRightAfterChoosingACategoryFilesTheRecordThere) {
    clickCategory(QStringLiteral("游戏账号"));
    main().Edit_BiaoTi->setText(kT);
    main().Edit_ZhangHao->setText(kA);
    main().Edit_MiMa->setText(kP);
    click(main().Button1);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("添加成功.")});
    EXPECT_EQ(test::storedRows(connection()).back().分类, QStringLiteral("游戏账号"));
}

TEST_F(Editing, AddWhileARecordIsShownStoresACopy) {
    clickRow(0);
    click(main().Button1);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("添加成功.")});
    const std::vector<test::StoredRow> rows = test::storedRows(connection());
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows.back().标题, QStringLiteral("Gmail"));
    EXPECT_EQ(store::decryptAccountText(rows.back().备注), QStringLiteral("notes g"));
    EXPECT_EQ(rows.front().标题, QStringLiteral("Gmail"));
}

// ---- modify

TEST_F(Editing, ModifyChangesTheChosenRowAndReturnsToItsPosition) {
    clickRow(2);  // Outlook, third by use; its count becomes 4
    main().Edit_BiaoTi->setText(QStringLiteral("Outlook'365"));
    main().Edit_MiMa->setText(QStringLiteral("new pw"));
    main().Memo_BeiZhu->setPlainText(QStringLiteral("a\nb"));
    chooseCategory(QStringLiteral("游戏账号"));
    click(main().Button2);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("修改成功.")});

    const test::StoredRow changed = test::storedRow(connection(), numbers[2]);
    EXPECT_EQ(changed.标题, QStringLiteral("Outlook'365"));
    EXPECT_EQ(changed.分类, QStringLiteral("游戏账号"));
    EXPECT_EQ(changed.帐号, QStringLiteral("carol"));
    EXPECT_EQ(store::decryptAccountText(changed.密码), QStringLiteral("new pw"));
    EXPECT_EQ(store::decryptAccountText(changed.备注), QStringLiteral("a\r\nb"));
    EXPECT_EQ(changed.统计, QStringLiteral("4"));  // the click counted, the change does not
    EXPECT_EQ(test::storedRow(connection(), numbers[1]).标题, QStringLiteral("Steam"));

    EXPECT_TRUE(editorEmpty());
    EXPECT_EQ(main().panelText(app::kRecordCountPanel), QStringLiteral("共3条信息"));
    EXPECT_EQ(main().ADOQuery1->recNo(), 3);
    EXPECT_EQ(gridCurrentRow(), 2);
    EXPECT_EQ(gridText(2, kTitle), QStringLiteral("Outlook'365"));
}

TEST_F(Editing, ModifyReturnsToThePositionEvenWhenAnotherRecordNowStandsThere) {
    for (int i = 0; i < 5; ++i) clickRow(2);  // Outlook: 3 -> 8, moves up at the next load
    click(main().Button2);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("修改成功.")});
    EXPECT_EQ(gridColumn(kTitle),
              (QStringList{QStringLiteral("Gmail"), QStringLiteral("Outlook"), QStringLiteral("Steam")}));
    EXPECT_EQ(main().ADOQuery1->recNo(), 3);
    EXPECT_EQ(main().panelText(app::kCurrentRowPanel), QStringLiteral("3"));  // not rewritten
}

// ---- delete

TEST_F(Editing, AnsweringNoChangesNothing) {
    clickRow(1);
    dialogs->queueAnswer(platform::Dialogs::Answer::No);
    click(main().Button3);
    const auto boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("您真的要删除该记录吗?"));
    EXPECT_EQ(boxes[0].title, QStringLiteral("警告"));
    EXPECT_EQ(boxes[0].icon, platform::Dialogs::Icon::Warning);
    EXPECT_EQ(boxes[0].buttons, platform::Dialogs::Buttons::YesNo);
    EXPECT_TRUE(boxes[0].topmost);
    EXPECT_EQ(rowCount(), 3u);
    EXPECT_EQ(main().Edit_BiaoTi->text(), QStringLiteral("Steam"));
}

TEST_F(Editing, DeleteRemovesTheCurrentRowWithoutARefresh) {
    clickRow(1);
    dialogs->queueAnswer(platform::Dialogs::Answer::Yes);
    click(main().Button3);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("您真的要删除该记录吗?")});
    const std::vector<test::StoredRow> rows = test::storedRows(connection());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].标题, QStringLiteral("Gmail"));
    EXPECT_EQ(rows[1].标题, QStringLiteral("Outlook"));
    EXPECT_EQ(gridColumn(kTitle), (QStringList{QStringLiteral("Gmail"), QStringLiteral("Outlook")}));
    EXPECT_EQ(main().panelText(app::kRecordCountPanel), QStringLiteral("共3条信息"));  // the count of the last load
    EXPECT_TRUE(editorEmpty());
    EXPECT_EQ(main().Edit_MiMa_Temp->text(), QStringLiteral("pw-s"));
}

TEST_F(Editing, DeleteWithoutAChosenRowDeletesTheFirstRowTheMostUsed) {
    dialogs->queueAnswer(platform::Dialogs::Answer::Yes);
    click(main().Button3);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("您真的要删除该记录吗?")});
    const std::vector<test::StoredRow> rows = test::storedRows(connection());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].标题, QStringLiteral("Steam"));
    EXPECT_EQ(rows[1].标题, QStringLiteral("Outlook"));
}

TEST_F(Editing, DeleteTakesTheGridsCurrentRowNotTheRecordInTheEditor) {
    clickRow(0);
    click(main().Button_Last);
    dialogs->queueAnswer(platform::Dialogs::Answer::Yes);
    click(main().Button3);
    dialogs->takeTexts();
    const std::vector<test::StoredRow> rows = test::storedRows(connection());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].标题, QStringLiteral("Gmail"));
    EXPECT_EQ(rows[1].标题, QStringLiteral("Steam"));
}

TEST_F(Editing, DeleteOnAClosedResultDoesNothingAndSaysNothing) {
    platform::trigger(main().Button_GeiClass);  // leaves the result closed
    main().Edit_BiaoTi->setText(QStringLiteral("kept"));
    dialogs->queueAnswer(platform::Dialogs::Answer::Yes);
    click(main().Button3);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("您真的要删除该记录吗?")});
    EXPECT_EQ(rowCount(), 3u);
    EXPECT_EQ(main().Edit_BiaoTi->text(), QStringLiteral("kept"));  // the reset is skipped too
}

TEST_F(Editing, DeleteOnAnEmptyResultDoesNothingAndSaysNothing) {
    main().searchkeyword->setText(QStringLiteral("Gmail"));
    click(main().Button_Search);
    dialogs->queueAnswer(platform::Dialogs::Answer::Yes);
    click(main().Button3);  // deletes Gmail, the only row found
    dialogs->queueAnswer(platform::Dialogs::Answer::Yes);
    main().Edit_BiaoTi->setText(QStringLiteral("kept"));
    click(main().Button3);  // nothing left in the result
    EXPECT_EQ(dialogs->takeTexts(),
              (std::vector<QString>{QStringLiteral("您真的要删除该记录吗?"), QStringLiteral("您真的要删除该记录吗?")}));
    EXPECT_EQ(rowCount(), 2u);
    EXPECT_EQ(main().Edit_BiaoTi->text(), QStringLiteral("kept"));
}

// ---- the reset

TEST_F(Editing, TheResetEmptiesTheFieldsButKeepsTheCopiedPasswordAndTheCategory) {
    clickRow(0);
    QTest::mouseClick(main().Button_Pass_ShowOrHide, Qt::LeftButton);
    platform::trigger(main().Button_ClearAllEdit);
    EXPECT_TRUE(editorEmpty());
    EXPECT_EQ(main().Edit_MiMa_Temp->text(), QStringLiteral("pw-g"));
    EXPECT_EQ(main().Edit_FenLei->currentText(), QStringLiteral("常用邮箱"));
    EXPECT_EQ(main().panelText(app::kCurrentRowPanel), QStringLiteral("1"));
    EXPECT_EQ(main().Edit_MiMa->echoMode(), QLineEdit::Normal);  // the mask stays as it was
}

// ---- texts written back as they were

// Longer than Qt's default limit of an entry, 32 767 characters.
QString beyondEntryLimit(const QString& piece) {
    QString text;
    while (text.size() < 40000) text += piece;
    return text;
}

class LongFieldTexts : public test::AccountPage {};

TEST_F(LongFieldTexts, AreWrittenBackWholeByModify) {
    const test::PlainRecord record{QStringLiteral("常用分类"),
                                   beyondEntryLimit(QStringLiteral("标题ab")),
                                   beyondEntryLimit(QStringLiteral("账号c")),
                                   beyondEntryLimit(QStringLiteral("密码d")),
                                   QStringLiteral("notes"),
                                   beyondEntryLimit(QStringLiteral("http://x/"))};
    logInWith({record});
    const test::StoredRow before = test::storedRow(connection(), numbers[0]);
    clickRow(0);
    ASSERT_EQ(main().Edit_BiaoTi->text().size(), record.标题.size());
    QTest::mouseClick(main().Button2, Qt::LeftButton);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("修改成功.")});
    const test::StoredRow after = test::storedRow(connection(), numbers[0]);
    EXPECT_EQ(after.标题, record.标题);
    EXPECT_EQ(after.帐号, record.帐号);
    EXPECT_EQ(after.网址, record.网址);
    EXPECT_EQ(after.密码, before.密码);
    EXPECT_EQ(store::decryptAccountText(after.密码), record.密码);
}

struct NotesCase {
    const char* name;
    QString notes;
};

void PrintTo(const NotesCase& c, std::ostream* out) { *out << c.name; }

class NotesKept : public test::AccountPage, public testing::WithParamInterface<NotesCase> {
protected:
    void SetUp() override {
        AccountPage::SetUp();
        logInWith({{QStringLiteral("常用分类"),
                    QStringLiteral("title"),
                    QStringLiteral("account"),
                    QStringLiteral("password"),
                    GetParam().notes,
                    {}}});
        clickRow(0);
    }

    test::StoredRow stored() { return test::storedRow(connection(), numbers[0]); }

    void modify() {
        QTest::mouseClick(main().Button2, Qt::LeftButton);
        ASSERT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("修改成功.")});
    }

    // Types at the end of the note, as the user would.
    void typeAtTheEnd(const QString& text) {
        QPlainTextEdit* memo = main().Memo_BeiZhu;
        memo->moveCursor(QTextCursor::End);
        QTest::keyClicks(memo, text);
    }
};

TEST_P(NotesKept, AnUntouchedNoteIsWrittenBackByteForByte) {
    const QString cipherBefore = stored().备注;
    ASSERT_EQ(store::decryptAccountText(cipherBefore), GetParam().notes);
    main().Edit_BiaoTi->setText(QStringLiteral("another title"));
    modify();
    EXPECT_EQ(stored().备注, cipherBefore);
    EXPECT_EQ(store::decryptAccountText(stored().备注), GetParam().notes);
}

TEST_P(NotesKept, AnEditedNoteKeepsWhatTheUserLeftAlone) {
    typeAtTheEnd(QStringLiteral("+x"));
    QTest::keyClick(main().Memo_BeiZhu, Qt::Key_Return);
    QTest::keyClicks(main().Memo_BeiZhu, QStringLiteral("new"));
    modify();
    EXPECT_EQ(store::decryptAccountText(stored().备注), GetParam().notes + QStringLiteral("+x\r\nnew"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, NotesKept,
    testing::Values(NotesCase{"noBreakSpaceAndEveryLineBreak", QStringLiteral("a\u00A0b\rc\nd")},
                    NotesCase{"windowsLines", QStringLiteral("one\r\ntwo\r\n\r\nthree")},
                    NotesCase{"unixLinesEndingInABreak", QStringLiteral("one\ntwo\n")},
                    NotesCase{"carriageReturnsOnly", QStringLiteral("\r\rone\r")},
                    NotesCase{"mixedPairs", QStringLiteral("\n\r\r\n\n\r")},
                    NotesCase{"unicodeSeparators", QStringLiteral("para\u2029graph\u2028line\u3000全角\u00A0")},
                    NotesCase{"tabsAndBlanks", QStringLiteral("\t a  \t\n  ")}, NotesCase{"empty", QString()}),
    [](const testing::TestParamInfo<NotesCase>& info) { return std::string(info.param.name); });

}  // namespace
