// The read side of the account page: the listing, category selection, search, navigation,
// the wheel, the cell click with its use counter, the password mask and the web address.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <functional>

#include "app/Unit1.h"
#include "platform/desktop/Guard.h"
#include "store/Browse.h"
#include "store/Query.h"
#include "store/RecordFields.h"
#include "tests/support/AccountPage.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RecordingShell.h"

using namespace tessavo;

namespace {

// By use: Gmail (9), Steam (5), O'Brien Mail (3), Jira (1), Wiki (0).
std::vector<test::PlainRecord> fiveRecords() {
    return {
        {QStringLiteral("常用邮箱"), QStringLiteral("Gmail"), QStringLiteral("alice"), QStringLiteral("p@ss 1"),
         QStringLiteral("line one\nline two"), QStringLiteral("https://mail.example"), 9},
        {QStringLiteral("游戏账号"),
         QStringLiteral("Steam"),
         QStringLiteral("bob"),
         QStringLiteral("密码二"),
         {},
         {},
         5},
        {QStringLiteral("常用邮箱"), QStringLiteral("O'Brien Mail"), QStringLiteral("o'brien"), QStringLiteral("x"),
         QStringLiteral("注释"), QStringLiteral("http://ob.example"), 3},
        {QStringLiteral("Work Tools"), QStringLiteral("Jira"), QStringLiteral("carol"), QStringLiteral("j"), {}, {}, 1},
        {QStringLiteral("work tools"), QStringLiteral("Wiki"), QStringLiteral("dave"), QStringLiteral("w"), {}, {}, 0},
    };
}

const QStringList kTitlesByUse = {QStringLiteral("Gmail"), QStringLiteral("Steam"), QStringLiteral("O'Brien Mail"),
                                  QStringLiteral("Jira"), QStringLiteral("Wiki")};

constexpr int kTitle = 3;

class Browsing : public test::AccountPage {
protected:
    void SetUp() override {
        AccountPage::SetUp();
        logInWith(fiveRecords());
    }

    std::vector<int> shownColumns() {
        std::vector<int> shown;
        for (int column = 0; column < main().DBGrid1->model()->columnCount(); ++column)
            if (!main().DBGrid1->isColumnHidden(column)) shown.push_back(column);
        return shown;
    }

    QStringList useCounts() {
        QStringList counts;
        for (const test::StoredRow& row : test::storedRows(connection())) counts.append(row.统计);
        return counts;
    }

    void search(const QString& column, const QString& keyword) {
        main().ComboBoxSeachClass->setCurrentText(column);
        main().searchkeyword->setText(keyword);
        QTest::mouseClick(main().Button_Search, Qt::LeftButton);
    }

    void fillEditor() {
        main().Edit_BiaoTi->setText(QStringLiteral("typed"));
        main().Edit_MiMa->setText(QStringLiteral("secret"));
    }
};

TEST_F(Browsing, TheLoginListsAllRecordsByUseWithTheColumnSetUp) {
    EXPECT_EQ(gridColumn(kTitle), kTitlesByUse);
    EXPECT_EQ(main().panelText(app::kRecordCountPanel), QStringLiteral("共5条信息"));
    EXPECT_EQ(shownColumns(), (std::vector<int>{0, 3, 4}));
    const std::pair<int, int> widths[] = {{0, 40}, {3, 200}, {4, 200}};
    for (const auto& [column, width] : widths) EXPECT_EQ(main().DBGrid1->columnWidth(column), width) << column;
    EXPECT_EQ(main().DBGrid1->model()->headerData(kTitle, Qt::Horizontal).toString(), QStringLiteral("标题"));
}

TEST_F(Browsing, RefreshReloadsByUseAndEmptiesTheEditor) {
    clickRow(3);  // Jira: 1 -> 2, still behind O'Brien Mail
    clickRow(4);
    clickRow(4);
    clickRow(4);
    clickRow(4);  // Wiki: 0 -> 4, now before O'Brien Mail (3)
    fillEditor();
    QTest::mouseClick(main().Button_Refresh, Qt::LeftButton);
    EXPECT_EQ(gridColumn(kTitle), (QStringList{QStringLiteral("Gmail"), QStringLiteral("Steam"), QStringLiteral("Wiki"),
                                               QStringLiteral("O'Brien Mail"), QStringLiteral("Jira")}));
    EXPECT_TRUE(main().Edit_BiaoTi->text().isEmpty());
    EXPECT_TRUE(main().Edit_MiMa->text().isEmpty());
}

TEST_F(Browsing, ChoosingACategoryListsItsRecordsAndSetsTheEditorsCategory) {
    fillEditor();
    clickCategory(QStringLiteral("常用邮箱"));
    EXPECT_EQ(gridColumn(kTitle), (QStringList{QStringLiteral("Gmail"), QStringLiteral("O'Brien Mail")}));
    EXPECT_EQ(main().panelText(app::kRecordCountPanel), QStringLiteral("常用邮箱分类下共有2条"));
    EXPECT_EQ(main().Edit_FenLei->currentText(), QStringLiteral("常用邮箱"));
    EXPECT_EQ(shownColumns(), (std::vector<int>{0, 3, 4}));
    EXPECT_TRUE(main().Edit_BiaoTi->text().isEmpty());  // the reset ran
}

TEST_F(Browsing, ACategoryWithoutRecordsSaysSoAndListsAllRecords) {
    test::runStatement(connection(), QStringLiteral("delete from data where 分类='游戏账号'"));
    clickCategory(QStringLiteral("游戏账号"));
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("对不起该分类下还没有信息")});
    EXPECT_EQ(gridRows(), 4);
    EXPECT_EQ(main().DBGrid1->model()->columnCount(), 7);
    EXPECT_EQ(main().panelText(app::kRecordCountPanel), QStringLiteral("游戏账号分类下共有0条"));
    EXPECT_EQ(main().Edit_FenLei->currentText(), QStringLiteral("游戏账号"));
    EXPECT_EQ(shownColumns(), (std::vector<int>{0, 3, 4}));
}

// ---- the category list answers the user's own choice

TEST_F(Browsing, AnotherButtonOnACategoryChoosesNothingAndSelectsNothing) {
    clickCategory(QStringLiteral("常用邮箱"));
    const int chosenRow = main().ListBox_Class->currentRow();
    QListWidget* list = main().ListBox_Class;
    QListWidgetItem* other = list->findItems(QStringLiteral("游戏账号"), Qt::MatchExactly).front();
    for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(list->viewport(), button, {}, list->visualItemRect(other).center());
        QTest::mouseDClick(list->viewport(), button, {}, list->visualItemRect(other).center());
        EXPECT_EQ(gridColumn(kTitle), (QStringList{QStringLiteral("Gmail"), QStringLiteral("O'Brien Mail")})) << button;
        EXPECT_EQ(main().Edit_FenLei->currentText(), QStringLiteral("常用邮箱"));
        EXPECT_EQ(list->currentRow(), chosenRow);
    }
    // The list's menu acts on the category chosen before.
    dialogs->queueCancel();
    platform::trigger(main().N4);
    ASSERT_EQ(dialogs->queries.size(), 1u);
    EXPECT_EQ(dialogs->queries[0].defaultText, QStringLiteral("常用邮箱"));
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("该分类已经存在.")});
}

TEST_F(Browsing, TheListGettingTheFocusChoosesNothing) {
    QListWidget* list = main().ListBox_Class;
    for (const Qt::FocusReason reason : {Qt::TabFocusReason, Qt::ActiveWindowFocusReason, Qt::OtherFocusReason}) {
        QFocusEvent in(QEvent::FocusIn, reason);
        QApplication::sendEvent(list, &in);
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(list, &out);
        EXPECT_EQ(gridColumn(kTitle), kTitlesByUse) << reason;
        EXPECT_EQ(main().panelText(app::kRecordCountPanel), QStringLiteral("共5条信息"));
        EXPECT_TRUE(main().Edit_FenLei->currentText().isEmpty());
    }
    EXPECT_TRUE(dialogs->take().empty());
}

TEST_F(Browsing, AKeyThatMovesTheSelectionChoosesTheCategory) {
    clickCategory(QStringLiteral("常用邮箱"));
    QTest::keyClick(main().ListBox_Class, Qt::Key_Down);
    EXPECT_EQ(gridColumn(kTitle), QStringList{QStringLiteral("Steam")});
    EXPECT_EQ(main().Edit_FenLei->currentText(), QStringLiteral("游戏账号"));
    QTest::keyClick(main().ListBox_Class, Qt::Key_Up);
    EXPECT_EQ(main().Edit_FenLei->currentText(), QStringLiteral("常用邮箱"));
    EXPECT_EQ(gridRows(), 2);
}

TEST_F(Browsing, ALeftClickOnTheChosenCategoryListsItAgain) {
    clickCategory(QStringLiteral("常用邮箱"));
    QTest::mouseClick(main().Button_Refresh, Qt::LeftButton);
    ASSERT_EQ(gridRows(), 5);
    clickCategory(QStringLiteral("常用邮箱"));
    EXPECT_EQ(gridColumn(kTitle), (QStringList{QStringLiteral("Gmail"), QStringLiteral("O'Brien Mail")}));
}

TEST_F(Browsing, ADoubleClickOnACategoryChoosesItOnce) {
    test::runStatement(connection(), QStringLiteral("delete from data where 分类='游戏账号'"));
    QListWidget* list = main().ListBox_Class;
    QListWidgetItem* empty = list->findItems(QStringLiteral("游戏账号"), Qt::MatchExactly).front();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(empty).center());
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("对不起该分类下还没有信息")});
    EXPECT_EQ(main().Edit_FenLei->currentText(), QStringLiteral("游戏账号"));
}

struct SearchCase {
    const char* column;
    QString (*keyword)();  // made when the test runs, after the main window set AccountKey
    QStringList titles;
};

// Printed when the tests are listed, before any main window set AccountKey: the column only.
void PrintTo(const SearchCase& c, std::ostream* out) { *out << c.column; }

class Searching : public Browsing, public testing::WithParamInterface<SearchCase> {};

TEST_P(Searching, FindsTheMatchingRecordsAndEmptiesTheKeywordBox) {
    const SearchCase& c = GetParam();
    fillEditor();
    const QString keyword = c.keyword();
    search(QString::fromUtf8(c.column), keyword);
    QStringList found = gridColumn(kTitle);
    found.sort();
    EXPECT_EQ(found, c.titles);
    EXPECT_EQ(main().panelText(app::kRecordCountPanel),
              store::searchCountText(keyword, static_cast<int>(c.titles.size())));
    EXPECT_TRUE(main().searchkeyword->text().isEmpty());
    EXPECT_EQ(main().Edit_BiaoTi->text(), QStringLiteral("typed"));  // no reset
    EXPECT_EQ(shownColumns(), (std::vector<int>{0, 3, 4}));
}

INSTANTIATE_TEST_SUITE_P(
    Columns, Searching,
    testing::Values(SearchCase{"标题",
                               [] { return QStringLiteral("Mail"); },
                               {QStringLiteral("Gmail"), QStringLiteral("O'Brien Mail")}},
                    SearchCase{"帐号", [] { return QStringLiteral("o'brien"); }, {QStringLiteral("O'Brien Mail")}},
                    SearchCase{"网址", [] { return QStringLiteral("mail.example"); }, {QStringLiteral("Gmail")}},
                    // the notes column holds cipher text: a piece of it finds the record
                    SearchCase{"备注",
                               [] { return store::encryptAccountText(QStringLiteral("注释")).left(10); },
                               {QStringLiteral("O'Brien Mail")}}));

TEST_F(Browsing, ASearchWithoutHitsSaysSoAndListsAllRecordsWithTheirUseCounts) {
    search(QStringLiteral("备注"), QStringLiteral("line"));  // a word of the plain notes
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("对不起没有找到相关信息！")});
    EXPECT_EQ(gridRows(), 5);
    EXPECT_EQ(main().panelText(app::kRecordCountPanel), QStringLiteral("关于line的信息,共搜索到0条"));
    EXPECT_EQ(shownColumns(), (std::vector<int>{0, 3, 4, 7}));  // 统计 the fourth shown column
    EXPECT_EQ(main().DBGrid1->model()->headerData(7, Qt::Horizontal).toString(), QStringLiteral("统计"));
    QStringList counts = gridColumn(7);
    counts.sort();
    EXPECT_EQ(counts, (QStringList{"0", "1", "3", "5", "9"}));
    EXPECT_TRUE(main().searchkeyword->text().isEmpty());
}

TEST_F(Browsing, AnEmptyKeywordIsRefusedAndTheGridKeepsItsResult) {
    clickCategory(QStringLiteral("游戏账号"));
    main().searchkeyword->clear();
    QTest::mouseClick(main().Button_Search, Qt::LeftButton);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("请输入搜索关键词！")});
    EXPECT_EQ(gridColumn(kTitle), QStringList{QStringLiteral("Steam")});
}

TEST_F(Browsing, TheKeywordBoxStartsWithItsHintWhichIsSearchedAsText) {
    EXPECT_EQ(main().searchkeyword->text(), QStringLiteral("请输入搜索关键词"));
    QTest::mouseClick(main().Button_Search, Qt::LeftButton);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("对不起没有找到相关信息！")});
    EXPECT_EQ(main().panelText(app::kRecordCountPanel), QStringLiteral("关于请输入搜索关键词的信息,共搜索到0条"));
}

TEST_F(Browsing, EveryClickOrDoubleClickEmptiesTheKeywordBox) {
    QTest::mouseClick(main().searchkeyword, Qt::LeftButton);
    EXPECT_TRUE(main().searchkeyword->text().isEmpty());
    main().searchkeyword->setText(QStringLiteral("typed"));
    QTest::mouseDClick(main().searchkeyword, Qt::LeftButton);
    EXPECT_TRUE(main().searchkeyword->text().isEmpty());
    main().searchkeyword->setText(QStringLiteral("typed"));
    QTest::mouseClick(main().searchkeyword, Qt::LeftButton);
    EXPECT_TRUE(main().searchkeyword->text().isEmpty());
}

TEST_F(Browsing, OnlyTheLeftButtonEmptiesTheKeywordBox) {
    using Gesture = void (*)(QWidget*, Qt::MouseButton);
    const Gesture click = [](QWidget* box, Qt::MouseButton button) { QTest::mouseClick(box, button); };
    const Gesture doubleClick = [](QWidget* box, Qt::MouseButton button) { QTest::mouseDClick(box, button); };
    const std::pair<Qt::MouseButton, Gesture> gestures[] = {{Qt::RightButton, click},
                                                            {Qt::RightButton, doubleClick},
                                                            {Qt::MiddleButton, click},
                                                            {Qt::MiddleButton, doubleClick}};
    for (const auto& [button, gesture] : gestures) {
        main().searchkeyword->setText(QStringLiteral("typed"));
        gesture(main().searchkeyword, button);
        EXPECT_EQ(main().searchkeyword->text(), QStringLiteral("typed")) << button;
    }
}

TEST_F(Browsing, TheNavigationButtonsMoveTheCurrentRowAndShowItsNumber) {
    fillEditor();
    const QStringList countsBefore = useCounts();
    struct Step {
        QPushButton* button;
        int row;
    };
    const Step steps[] = {{main().Button_Last, 5},  {main().Button_Next, 5},  {main().Button_Prior, 4},
                          {main().Button_First, 1}, {main().Button_Prior, 1}, {main().Button_Next, 2}};
    for (const Step& step : steps) {
        QTest::mouseClick(step.button, Qt::LeftButton);
        EXPECT_EQ(main().ADOQuery1->recNo(), step.row) << step.button->objectName().toStdString();
        EXPECT_EQ(main().panelText(app::kCurrentRowPanel), QString::number(step.row));
        EXPECT_EQ(gridCurrentRow(), step.row - 1);
    }
    EXPECT_EQ(main().Edit_BiaoTi->text(), QStringLiteral("typed"));
    EXPECT_EQ(useCounts(), countsBefore);
}

TEST_F(Browsing, NavigationAndTheWheelOnAClosedResultShowTheDataLayersError) {
    platform::trigger(main().Button_GeiClass);  // the category load leaves the result closed
    ASSERT_FALSE(main().ADOQuery1->isOpen());
    for (QPushButton* button : {main().Button_First, main().Button_Prior, main().Button_Next, main().Button_Last}) {
        QTest::mouseClick(button, Qt::LeftButton);
        const auto boxes = dialogs->take();
        ASSERT_EQ(boxes.size(), 1u) << button->objectName().toStdString();
        EXPECT_EQ(boxes[0].icon, platform::Dialogs::Icon::Error);
        EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("closed"))) << boxes[0].text.toStdString();
    }
    turnWheel(-120);
    const auto boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, platform::Dialogs::Icon::Error);
}

TEST_F(Browsing, ACellClickFillsTheEditorWithTheRowDecrypted) {
    clickRow(0);
    EXPECT_EQ(main().Edit_BianHao->text(), QString::number(numbers[0]));
    EXPECT_EQ(main().Edit_FenLei->currentText(), QStringLiteral("常用邮箱"));
    EXPECT_EQ(main().Edit_WangZhi->text(), QStringLiteral("https://mail.example"));
    EXPECT_EQ(main().Edit_BiaoTi->text(), QStringLiteral("Gmail"));
    EXPECT_EQ(main().Edit_ZhangHao->text(), QStringLiteral("alice"));
    EXPECT_EQ(main().Edit_MiMa->text(), QStringLiteral("p@ss 1"));
    EXPECT_EQ(main().Edit_MiMa_Temp->text(), QStringLiteral("p@ss 1"));
    EXPECT_EQ(main().Memo_BeiZhu->toPlainText(), QStringLiteral("line one\nline two"));
    EXPECT_EQ(main().panelText(app::kCurrentRowPanel), QStringLiteral("1"));

    clickRow(1);
    EXPECT_EQ(main().Edit_MiMa->text(), QStringLiteral("密码二"));
    EXPECT_TRUE(main().Memo_BeiZhu->toPlainText().isEmpty());
    EXPECT_EQ(main().panelText(app::kCurrentRowPanel), QStringLiteral("2"));
}

TEST_F(Browsing, ACellClickChoosesTheCategoryIgnoringLetterCase) {
    EXPECT_EQ(listedCategories(),
              (QStringList{QStringLiteral("常用邮箱"), QStringLiteral("游戏账号"), QStringLiteral("Work Tools")}));
    clickRow(4);  // Wiki, filed under "work tools"
    EXPECT_EQ(main().Edit_FenLei->currentText(), QStringLiteral("Work Tools"));
    test::runStatement(connection(), QStringLiteral("update data set 分类='无此分类' where 编号=%1").arg(numbers[1]));
    QTest::mouseClick(main().Button_Refresh, Qt::LeftButton);
    clickRow(1);  // Steam, now in a category the lists do not hold
    EXPECT_EQ(main().Edit_FenLei->currentIndex(), -1);
    EXPECT_TRUE(main().Edit_FenLei->currentText().isEmpty());
}

TEST_F(Browsing, EachClickRaisesTheRowsUseCounterWithoutReloading) {
    for (int click = 1; click <= 3; ++click) {
        clickRow(2);
        EXPECT_EQ(test::storedRow(connection(), numbers[2]).统计, QString::number(3 + click));
    }
    EXPECT_EQ(test::storedRow(connection(), numbers[0]).统计, QStringLiteral("9"));
    EXPECT_EQ(gridColumn(kTitle), kTitlesByUse);  // the order changes only at the next load
    QTest::mouseClick(main().Button_Refresh, Qt::LeftButton);
    EXPECT_EQ(gridColumn(kTitle).at(1), QStringLiteral("O'Brien Mail"));  // 6 now, before Steam's 5
}

TEST_F(Browsing, MovingWithoutAClickLeavesTheEditorOnTheClickedRow) {
    clickRow(0);
    QTest::mouseClick(main().Button_Next, Qt::LeftButton);
    turnWheel(-120);
    EXPECT_EQ(main().ADOQuery1->recNo(), 3);
    EXPECT_EQ(main().Edit_BiaoTi->text(), QStringLiteral("Gmail"));
    EXPECT_EQ(main().Edit_BianHao->text(), QString::number(numbers[0]));
}

TEST_F(Browsing, ThePasswordIsMaskedUntilShownAndMaskedAgain) {
    clickRow(0);
    EXPECT_EQ(main().Edit_MiMa->echoMode(), QLineEdit::Password);
    EXPECT_EQ(main().Button_Pass_ShowOrHide->text(), QStringLiteral("显示"));
    QTest::mouseClick(main().Button_Pass_ShowOrHide, Qt::LeftButton);
    EXPECT_EQ(main().Edit_MiMa->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(main().Button_Pass_ShowOrHide->text(), QStringLiteral("隐藏"));
    QTest::mouseClick(main().Button_Pass_ShowOrHide, Qt::LeftButton);
    EXPECT_EQ(main().Edit_MiMa->echoMode(), QLineEdit::Password);
    EXPECT_EQ(main().Button_Pass_ShowOrHide->text(), QStringLiteral("显示"));
    EXPECT_EQ(main().Edit_MiMa->text(), QStringLiteral("p@ss 1"));
}

TEST_F(Browsing, PreviewHandsTheWebAddressToTheDesktopUnlessItIsEmpty) {
    test::ScopedRecordingShell shell;
    QTest::mouseClick(main().Button10, Qt::LeftButton);
    EXPECT_TRUE(shell->opened.empty());
    clickRow(0);
    QTest::mouseClick(main().Button10, Qt::LeftButton);
    EXPECT_EQ(shell->opened, std::vector<QString>{QStringLiteral("https://mail.example")});
}

class EmptyTable : public test::AccountPage {};

TEST_F(EmptyTable, RefreshCountsNothingAndSaysNothing) {
    logInWith({});
    EXPECT_EQ(gridRows(), 0);
    EXPECT_EQ(main().panelText(app::kRecordCountPanel), QStringLiteral("共0条信息"));
    EXPECT_TRUE(listedCategories().isEmpty());
}

// ---- the wheel, over more rows than the grid shows

class Wheel : public test::AccountPage {
protected:
    void SetUp() override {
        AccountPage::SetUp();
        std::vector<test::PlainRecord> records;
        for (int i = 0; i < 40; ++i)
            records.push_back({QStringLiteral("常用网站"),
                               QStringLiteral("站点%1").arg(i),
                               QStringLiteral("user"),
                               QStringLiteral("pw"),
                               {},
                               {},
                               100 - i});
        logInWith(records);
    }
};

TEST_F(Wheel, EachEventMovesOneRowWhateverItsDeltaAndTheGridNeverScrollsByItself) {
    QScrollBar* scroll = main().DBGrid1->verticalScrollBar();
    ASSERT_GT(scroll->maximum(), 0);
    main().setPanelText(app::kCurrentRowPanel, QStringLiteral("7"));
    struct Turn {
        int delta;
        int row;
    };
    const Turn turns[] = {{120, 1}, {-120, 2}, {-1, 3}, {-1200, 4}, {1, 3}, {0, 2}, {2400, 1}};
    for (const Turn& turn : turns) {
        turnWheel(turn.delta);
        EXPECT_EQ(main().ADOQuery1->recNo(), turn.row) << turn.delta;
        EXPECT_EQ(gridCurrentRow(), turn.row - 1);
        EXPECT_EQ(scroll->value(), 0) << turn.delta;
    }
    EXPECT_EQ(main().panelText(app::kCurrentRowPanel), QStringLiteral("7"));
    EXPECT_TRUE(main().Edit_BiaoTi->text().isEmpty());
}

struct GridPart {
    const char* name;
    std::function<QWidget*(QTableView*)> of;
};

void PrintTo(const GridPart& part, std::ostream* out) { *out << part.name; }

class WheelOverEveryPart : public Wheel, public testing::WithParamInterface<GridPart> {};

TEST_P(WheelOverEveryPart, TurnsMoveOneRowAndSidewaysTurnsNothingWhileTheGridStaysPut) {
    QTableView* grid = main().DBGrid1;
    QWidget* part = GetParam().of(grid);
    ASSERT_NE(part, nullptr);
    main().ADOQuery1->setRecNo(5);
    struct Turn {
        QPoint angleDelta;
        int row;
    };
    const Turn turns[] = {{{0, -120}, 6}, {{0, 120}, 5},   {{-120, 0}, 5}, {{120, 0}, 5},
                          {{0, -15}, 6},  {{30, -120}, 7}, {{-30, 120}, 6}};
    for (const Turn& turn : turns) {
        SCOPED_TRACE(testing::Message() << turn.angleDelta.x() << "," << turn.angleDelta.y());
        turnWheelOver(part, turn.angleDelta);
        EXPECT_EQ(main().ADOQuery1->recNo(), turn.row);
        EXPECT_EQ(gridCurrentRow(), turn.row - 1);
        EXPECT_EQ(grid->verticalScrollBar()->value(), 0);
        EXPECT_EQ(grid->horizontalScrollBar()->value(), 0);
    }
    EXPECT_TRUE(dialogs->take().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Grid, WheelOverEveryPart,
    testing::Values(
        GridPart{"rows", [](QTableView* grid) -> QWidget* { return grid->viewport(); }},
        GridPart{"verticalScrollBar", [](QTableView* grid) -> QWidget* { return grid->verticalScrollBar(); }},
        GridPart{"horizontalScrollBar", [](QTableView* grid) -> QWidget* { return grid->horizontalScrollBar(); }},
        GridPart{"columnHeader", [](QTableView* grid) -> QWidget* { return grid->horizontalHeader(); }},
        GridPart{"columnHeaderArea", [](QTableView* grid) -> QWidget* { return grid->horizontalHeader()->viewport(); }},
        GridPart{"rowHeaderArea", [](QTableView* grid) -> QWidget* { return grid->verticalHeader()->viewport(); }},
        GridPart{"frame", [](QTableView* grid) -> QWidget* { return grid; }}),
    [](const testing::TestParamInfo<GridPart>& info) { return std::string(info.param.name); });

}  // namespace
