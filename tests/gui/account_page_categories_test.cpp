// Categories on the account page: the load from the records, add with its placeholder record,
// rename, and delete with the backup made before it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "app/Unit1.h"
#include "platform/desktop/Guard.h"
#include "store/Query.h"
#include "tests/support/AccountPage.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"

using namespace tessavo;

namespace {

// By use: Gmail (9, 常用邮箱), Steam (5, 游戏账号), Outlook (3, 常用邮箱), Jira (2, Work Tools),
// Wiki (1, work tools), Note (0, no category).
std::vector<test::PlainRecord> sixRecords() {
    return {
        {QStringLiteral("常用邮箱"), QStringLiteral("Gmail"), QStringLiteral("alice"), QStringLiteral("pw"), {}, {}, 9},
        {QStringLiteral("游戏账号"), QStringLiteral("Steam"), QStringLiteral("bob"), QStringLiteral("pw"), {}, {}, 5},
        {QStringLiteral("常用邮箱"),
         QStringLiteral("Outlook"),
         QStringLiteral("carol"),
         QStringLiteral("pw"),
         {},
         {},
         3},
        {QStringLiteral("Work Tools"), QStringLiteral("Jira"), QStringLiteral("dave"), QStringLiteral("pw"), {}, {}, 2},
        {QStringLiteral("work tools"), QStringLiteral("Wiki"), QStringLiteral("erin"), QStringLiteral("pw"), {}, {}, 1},
        {QString(""), QStringLiteral("Note"), QStringLiteral("frank"), QStringLiteral("pw"), {}, {}, 0},
    };
}

const QStringList kCategoriesByUse = {QStringLiteral("常用邮箱"), QStringLiteral("游戏账号"),
                                      QStringLiteral("Work Tools")};

constexpr int kCategory = 1;
constexpr int kTitle = 3;

class Categories : public test::AccountPage {
protected:
    void SetUp() override {
        AccountPage::SetUp();
        logInWith(sixRecords());
    }

    void add(const QString& answer) {
        dialogs->queueInput(answer);
        platform::trigger(main().N5);
    }

    void rename(const QString& answer) {
        dialogs->queueInput(answer);
        platform::trigger(main().N4);
    }

    QStringList storedCategories() {
        QStringList categories;
        for (const test::StoredRow& row : test::storedRows(connection())) categories.append(row.分类);
        return categories;
    }
};

// ---- the load

TEST_F(Categories, TheLoginListsEachCategoryOnceInUseOrder) {
    EXPECT_EQ(listedCategories(), kCategoriesByUse);
    EXPECT_EQ(pickListCategories(), kCategoriesByUse);
    EXPECT_EQ(main().Edit_FenLei->currentIndex(), -1);
    EXPECT_EQ(main().ListBox_Class->currentRow(), -1);
    EXPECT_EQ(gridRows(), 6);  // the refresh after the load
}

TEST_F(Categories, TheLoadAloneEmptiesTheEditorsCategoryAndLeavesTheGridEmpty) {
    clickCategory(QStringLiteral("游戏账号"));
    ASSERT_EQ(main().Edit_FenLei->currentText(), QStringLiteral("游戏账号"));
    test::runStatement(connection(), QStringLiteral("update data set 统计=20 where 分类='Work Tools'"));
    QTest::mouseClick(main().Button_GeiClass, Qt::LeftButton);
    EXPECT_EQ(listedCategories(),
              (QStringList{QStringLiteral("Work Tools"), QStringLiteral("常用邮箱"), QStringLiteral("游戏账号")}));
    EXPECT_EQ(main().Edit_FenLei->currentIndex(), -1);
    EXPECT_TRUE(main().Edit_FenLei->currentText().isEmpty());
    EXPECT_EQ(main().ListBox_Class->currentRow(), -1);
    EXPECT_FALSE(main().ADOQuery1->isOpen());
    EXPECT_EQ(gridRows(), 0);
    EXPECT_EQ(main().panelText(app::kRecordCountPanel), QStringLiteral("共6条信息"));
}

TEST_F(Categories, ACategoryWithoutRowsIsGoneAfterTheNextLoad) {
    clickRow(1);  // Steam, the only record of 游戏账号
    dialogs->queueAnswer(platform::Dialogs::Answer::Yes);
    platform::trigger(main().Button3);
    dialogs->takeTexts();
    EXPECT_TRUE(listedCategories().contains(QStringLiteral("游戏账号")));
    platform::trigger(main().Button_GeiClass);
    EXPECT_EQ(listedCategories(), (QStringList{QStringLiteral("常用邮箱"), QStringLiteral("Work Tools")}));
}

// ---- add

struct NameCase {
    const char* name;
    QString answer;
    std::vector<QString> messages;
};

void PrintTo(const NameCase& c, std::ostream* out) { *out << c.name; }

class CategoryName : public Categories, public testing::WithParamInterface<NameCase> {};

TEST_P(CategoryName, AddChecksLengthInUtf16UnitsAndTakenNamesIgnoringCase) {
    const NameCase& c = GetParam();
    add(c.answer);
    EXPECT_EQ(dialogs->takeTexts(), c.messages);
    ASSERT_EQ(dialogs->queries.size(), 1u);
    EXPECT_EQ(dialogs->queries[0].title, QStringLiteral("请输入分类"));
    EXPECT_EQ(dialogs->queries[0].prompt, QStringLiteral("分类"));
    EXPECT_TRUE(dialogs->queries[0].defaultText.isEmpty());
    const bool added = c.messages == std::vector<QString>{QStringLiteral("分类添加成功.")};
    EXPECT_EQ(storedCategories().size(), added ? 7 : 6);
    EXPECT_EQ(listedCategories().contains(c.answer), added || kCategoriesByUse.contains(c.answer));
}

const QString kShort = QStringLiteral("分类名称必须大于等于4个字符");
const QString kTaken = QStringLiteral("该分类已经存在.");
const QString kAdded = QStringLiteral("分类添加成功.");

INSTANTIATE_TEST_SUITE_P(Names, CategoryName,
                         testing::Values(NameCase{"Empty", QString(), {}},
                                         NameCase{"TwoChinese", QStringLiteral("邮箱"), {kShort}},
                                         NameCase{"ThreeChinese", QStringLiteral("常用邮"), {kShort}},
                                         NameCase{"ThreeLetters", QStringLiteral("abc"), {kShort}},
                                         NameCase{"ShortAndTaken", QStringLiteral("游戏"), {kShort}},
                                         NameCase{"FourChinese", QStringLiteral("常用网站"), {kAdded}},
                                         NameCase{"FourWithBlanks", QStringLiteral(" a  "), {kAdded}},
                                         NameCase{"TwoEmojiAreFourUnits", QStringLiteral("😀😀"), {kAdded}},
                                         NameCase{"OneEmojiIsTwoUnits", QStringLiteral("😀"), {kShort}},
                                         NameCase{"Taken", QStringLiteral("常用邮箱"), {kTaken}},
                                         NameCase{"TakenButForLetterCase", QStringLiteral("WORK tools"), {kTaken}},
                                         NameCase{"WithAQuote", QStringLiteral("Bob's Sites"), {kAdded}}),
                         [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

TEST_F(Categories, CancellingTheAddDialogEndsWithoutAWord) {
    dialogs->queueCancel();
    platform::trigger(main().N5);
    EXPECT_TRUE(dialogs->takeTexts().empty());
    EXPECT_EQ(storedCategories().size(), 6);
}

TEST_F(Categories, AnAddedCategoryComesAfterTheUsedOnesAndTheGridShowsItsPlaceholder) {
    add(QStringLiteral("Bob's Sites"));
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{kAdded});
    EXPECT_EQ(listedCategories(), kCategoriesByUse + QStringList{QStringLiteral("Bob's Sites")});
    EXPECT_EQ(pickListCategories(), listedCategories());
    EXPECT_EQ(gridRows(), 7);
    EXPECT_EQ(main().panelText(app::kRecordCountPanel), QStringLiteral("共7条信息"));
    EXPECT_TRUE(gridColumn(kCategory).contains(QStringLiteral("Bob's Sites")));
}

TEST_F(Categories, APlaceholderRowShowsItsFixedTextsAndThePassword密码) {
    add(QStringLiteral("新的分类"));
    dialogs->takeTexts();
    const int row = static_cast<int>(gridColumn(kCategory).indexOf(QStringLiteral("新的分类")));
    ASSERT_GE(row, 0);
    const test::StoredRow stored = test::storedRows(connection()).back();
    EXPECT_FALSE(stored.备注HasValue);
    EXPECT_EQ(stored.统计, QStringLiteral("0"));

    clickRow(row);
    EXPECT_EQ(main().Edit_FenLei->currentText(), QStringLiteral("新的分类"));
    EXPECT_EQ(main().Edit_BiaoTi->text(), QStringLiteral("标题"));
    EXPECT_EQ(main().Edit_WangZhi->text(), QStringLiteral("http://"));
    EXPECT_EQ(main().Edit_ZhangHao->text(), QStringLiteral("账号"));
    EXPECT_TRUE(main().Memo_BeiZhu->toPlainText().isEmpty());
    EXPECT_EQ(main().Edit_MiMa->text(), QStringLiteral("密码"));
    EXPECT_EQ(main().Edit_MiMa_Temp->text(), QStringLiteral("密码"));
}

// ---- rename

TEST_F(Categories, RenameNeedsTheEditorsCategory) {
    platform::trigger(main().N4);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("请选中要修复的分类！")});
    EXPECT_TRUE(dialogs->queries.empty());
}

TEST_F(Categories, RenameGivesEveryRowOfTheEditorsCategoryTheNewName) {
    clickCategory(QStringLiteral("常用邮箱"));
    rename(QStringLiteral("Mail's 邮箱"));
    EXPECT_TRUE(dialogs->takeTexts().empty());
    ASSERT_EQ(dialogs->queries.size(), 1u);
    EXPECT_EQ(dialogs->queries[0].title, QStringLiteral("请输入分类"));
    EXPECT_EQ(dialogs->queries[0].prompt, QStringLiteral("分类"));
    EXPECT_EQ(dialogs->queries[0].defaultText, QStringLiteral("常用邮箱"));
    EXPECT_EQ(storedCategories(),
              (QStringList{QStringLiteral("Mail's 邮箱"), QStringLiteral("游戏账号"), QStringLiteral("Mail's 邮箱"),
                           QStringLiteral("Work Tools"), QStringLiteral("work tools"), QString()}));
    EXPECT_EQ(listedCategories(),
              (QStringList{QStringLiteral("Mail's 邮箱"), QStringLiteral("游戏账号"), QStringLiteral("Work Tools")}));
    EXPECT_EQ(gridRows(), 6);  // the refresh after the load
    EXPECT_FALSE(main().ADOQuery_EnCrypt->isOpen());
}

TEST_F(Categories, RenameActsOnTheCategoryOfTheClickedRow) {
    clickCategory(QStringLiteral("常用邮箱"));
    QTest::mouseClick(main().Button_Refresh, Qt::LeftButton);
    clickRow(1);  // Steam: the editor's category is now 游戏账号
    rename(QStringLiteral("网络游戏"));
    EXPECT_EQ(storedCategories().at(1), QStringLiteral("网络游戏"));
    EXPECT_EQ(storedCategories().at(0), QStringLiteral("常用邮箱"));
}

struct RenameCase {
    const char* name;
    QString category;
    bool cancel;
    QString answer;
    QString message;
};

void PrintTo(const RenameCase& c, std::ostream* out) { *out << c.name; }

class RenameRefused : public Categories, public testing::WithParamInterface<RenameCase> {};

TEST_P(RenameRefused, ShowsItsMessageAndChangesNothing) {
    const RenameCase& c = GetParam();
    test::runStatement(connection(), QStringLiteral("update data set 分类='网站' where 分类=''"));
    platform::trigger(main().Button_GeiClass);
    main().Edit_FenLei->setCurrentIndex(main().Edit_FenLei->findText(c.category));
    const QStringList before = storedCategories();
    if (c.cancel) {
        dialogs->queueCancel();
        platform::trigger(main().N4);
    } else {
        rename(c.answer);
    }
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{c.message});
    EXPECT_EQ(storedCategories(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RenameRefused,
    testing::Values(
        RenameCase{"Cancelled", QStringLiteral("常用邮箱"), true, {}, kTaken},
        RenameCase{"CancelledWithAShortName", QStringLiteral("网站"), true, {}, kShort},
        RenameCase{"Unchanged", QStringLiteral("常用邮箱"), false, QStringLiteral("常用邮箱"), kTaken},
        RenameCase{"OnlyLetterCase", QStringLiteral("Work Tools"), false, QStringLiteral("WORK TOOLS"), kTaken},
        RenameCase{"ToAnotherCategory", QStringLiteral("常用邮箱"), false, QStringLiteral("游戏账号"), kTaken},
        RenameCase{"TooShort", QStringLiteral("常用邮箱"), false, QStringLiteral("邮箱"), kShort}),
    [](const testing::TestParamInfo<RenameCase>& info) { return std::string(info.param.name); });

TEST_F(Categories, RenameToAnEmptyAnswerEndsWithoutAWord) {
    clickCategory(QStringLiteral("游戏账号"));
    rename(QString());
    EXPECT_TRUE(dialogs->takeTexts().empty());
    EXPECT_EQ(storedCategories().at(1), QStringLiteral("游戏账号"));
}

// ---- delete

class CategoryDelete : public Categories {
protected:
    const QString kClock = QStringLiteral("2017/12/30 9:05:07");

    void SetUp() override {
        Categories::SetUp();
        main().setPanelText(app::kClockPanel, kClock);
    }

    QString backupOf(const QString& category) {
        return appDir() + QStringLiteral("删除[") + category + QStringLiteral("]分类前备份_bak_2017123090507_.udb");
    }

    void deleteCategory() {
        dialogs->queueAnswer(platform::Dialogs::Answer::Yes);
        platform::trigger(main().N3);
        EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("您真的要删除该分类吗?")});
    }
};

TEST_F(CategoryDelete, AnsweringNoChangesNothingAndMakesNoBackup) {
    clickCategory(QStringLiteral("常用邮箱"));
    dialogs->queueAnswer(platform::Dialogs::Answer::No);
    platform::trigger(main().N3);
    const auto boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, QStringLiteral("警告"));
    EXPECT_EQ(boxes[0].icon, platform::Dialogs::Icon::Warning);
    EXPECT_EQ(boxes[0].buttons, platform::Dialogs::Buttons::YesNo);
    EXPECT_TRUE(boxes[0].topmost);
    EXPECT_EQ(storedCategories().size(), 6);
    EXPECT_FALSE(QFileInfo::exists(backupOf(QStringLiteral("常用邮箱"))));
}

TEST_F(CategoryDelete, RemovesAllItsRowsAfterABackupNamedWithTheCategoryInBrackets) {
    clickCategory(QStringLiteral("常用邮箱"));
    deleteCategory();
    // The backup holds the rows as they were before the delete.
    EXPECT_EQ(test::categoriesInFile(backupOf(QStringLiteral("常用邮箱"))).count(QStringLiteral("常用邮箱")), 2);
    EXPECT_EQ(storedCategories(), (QStringList{QStringLiteral("游戏账号"), QStringLiteral("Work Tools"),
                                               QStringLiteral("work tools"), QString()}));
    EXPECT_EQ(listedCategories(), (QStringList{QStringLiteral("游戏账号"), QStringLiteral("Work Tools")}));
    EXPECT_EQ(pickListCategories(), listedCategories());
    EXPECT_TRUE(main().Edit_FenLei->currentText().isEmpty());
    EXPECT_EQ(gridRows(), 0);  // no refresh after the load
    EXPECT_EQ(main().panelText(app::kRecordCountPanel), QStringLiteral("共4条信息"));
}

TEST_F(CategoryDelete, ASlashInTheCategoryBecomesAnUnderscoreInTheBackupName) {
    test::runStatement(connection(), QStringLiteral("update data set 分类='工作/私人' where 分类='游戏账号'"));
    platform::trigger(main().Button_GeiClass);
    main().Edit_FenLei->setCurrentIndex(main().Edit_FenLei->findText(QStringLiteral("工作/私人")));
    deleteCategory();
    EXPECT_EQ(test::categoriesInFile(backupOf(QStringLiteral("工作_私人"))).count(QStringLiteral("工作/私人")), 1);
    EXPECT_FALSE(storedCategories().contains(QStringLiteral("工作/私人")));
}

TEST_F(CategoryDelete, WithoutAnEditorCategoryOnlyRowsWithoutCategoryGoAfterABackupWithEmptyBrackets) {
    ASSERT_TRUE(main().Edit_FenLei->currentText().isEmpty());
    deleteCategory();
    EXPECT_TRUE(QFileInfo::exists(backupOf(QString())));
    EXPECT_EQ(storedCategories(),
              (QStringList{QStringLiteral("常用邮箱"), QStringLiteral("游戏账号"), QStringLiteral("常用邮箱"),
                           QStringLiteral("Work Tools"), QStringLiteral("work tools")}));
}

TEST_F(CategoryDelete, TheDeleteGoesOnWhenTheBackupCannotBeMade) {
    // A clock text so long that no file system takes the backup's name.
    main().setPanelText(app::kClockPanel, QString(300, u'9'));
    clickCategory(QStringLiteral("游戏账号"));
    deleteCategory();
    EXPECT_FALSE(storedCategories().contains(QStringLiteral("游戏账号")));
    EXPECT_TRUE(test::entriesOf(appDir()).filter(QStringLiteral("_bak_")).isEmpty());
}

}  // namespace
