// The login's category load and refresh share one run of the listing statement: what the
// windows show is the same as after a category load and a refresh apart, and a change made
// between the two is shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include "app/Unit1.h"
#include "platform/desktop/Guard.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/Statements.h"
#include "tests/support/AccountPage.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/StatementLog.h"

using namespace tessavo;

namespace {

// By use: Gmail (9, 常用邮箱), Steam (5, 游戏账号), Outlook (3, 常用邮箱), Wiki (1, no category).
std::vector<test::PlainRecord> fourRecords() {
    return {
        {QStringLiteral("常用邮箱"),
         QStringLiteral("Gmail"),
         QStringLiteral("alice"),
         QStringLiteral("pw1"),
         {},
         {},
         9},
        {QStringLiteral("游戏账号"), QStringLiteral("Steam"), QStringLiteral("bob"), QStringLiteral("pw2"), {}, {}, 5},
        {QStringLiteral("常用邮箱"),
         QStringLiteral("Outlook"),
         QStringLiteral("carol"),
         QStringLiteral("pw3"),
         {},
         {},
         3},
        {QString(), QStringLiteral("Wiki"), QStringLiteral("dave"), QStringLiteral("pw4"), {}, {}, 1},
    };
}

constexpr int kTitle = 3;

QString listingStatement() { return store::sql::browseByUse() + QStringLiteral("\r\n"); }

class LoginListing : public test::AccountPage {
protected:
    void SetUp() override {
        AccountPage::SetUp();
        numbers = test::storeRecords(connection(), fourRecords());
    }

    // Everything the category load and the refresh decide, one line per item.
    QStringList shownState() {
        app::TForm1& form = main();
        QStringList state;
        for (int row = 0; row < gridRows(); ++row) {
            QStringList cells;
            for (int column = 0; column < form.DBGrid1->model()->columnCount(); ++column)
                cells.append(gridText(row, column));
            state.append(QStringLiteral("row %1: ").arg(row) + cells.join(u'|'));
        }
        for (int column = 0; column < form.DBGrid1->model()->columnCount(); ++column)
            state.append(QStringLiteral("column %1: hidden %2, width %3")
                             .arg(column)
                             .arg(form.DBGrid1->isColumnHidden(column))
                             .arg(form.DBGrid1->columnWidth(column)));
        for (const app::StatusPanel panel : {app::kRecordCountPanel, app::kCurrentRowPanel})
            state.append(QStringLiteral("panel: ") + form.panelText(panel));
        state.append(QStringLiteral("grid row %1, record %2, eof %3, bof %4")
                         .arg(gridCurrentRow())
                         .arg(form.ADOQuery1->recNo())
                         .arg(form.ADOQuery1->eof())
                         .arg(form.ADOQuery1->bof()));
        state.append(QStringLiteral("list: ") + listedCategories().join(u'|'));
        state.append(QStringLiteral("list choice %1").arg(form.ListBox_Class->currentRow()));
        state.append(QStringLiteral("pick list: ") + pickListCategories().join(u'|'));
        state.append(QStringLiteral("pick list choice %1").arg(form.Edit_FenLei->currentIndex()));
        for (const QLineEdit* field :
             {form.Edit_BianHao, form.Edit_WangZhi, form.Edit_BiaoTi, form.Edit_ZhangHao, form.Edit_MiMa})
            state.append(field->objectName() + QStringLiteral(": ") + field->text());
        state.append(QStringLiteral("notes: ") + form.Memo_BeiZhu->toPlainText());
        return state;
    }

    void typeIntoEditor() {
        main().Edit_BiaoTi->setText(QStringLiteral("typed"));
        main().Memo_BeiZhu->setPlainText(QStringLiteral("typed"));
    }
};

TEST_F(LoginListing, TheLoginRunsTheListingStatementOnceAndShowsWhatTwoLoadsApartShow) {
    test::StatementLog log(connection().database());
    logIn();
    EXPECT_EQ(log.count(listingStatement()), 1);
    const QStringList afterLogin = shownState();
    ASSERT_EQ(gridRows(), 4);
    EXPECT_EQ(gridText(0, kTitle), QStringLiteral("Gmail"));

    // The same two handlers with the event loop run between them: nothing is kept that long.
    typeIntoEditor();
    log.clear();
    platform::trigger(main().Button_GeiClass);
    QApplication::processEvents();
    platform::trigger(main().Button_Refresh);
    EXPECT_EQ(log.count(listingStatement()), 2);
    EXPECT_EQ(shownState(), afterLogin);
}

TEST_F(LoginListing, AChangeBetweenTheCategoryLoadAndTheRefreshIsShown) {
    // The moment the category load has closed its result, Wiki becomes the most used record.
    bool changed = false;
    const QObject watching;  // goes before `changed`, taking the connection with it
    QObject::connect(main().ADOQuery1, &store::Query::resultChanged, &watching, [&] {
        if (changed || main().ADOQuery1->isOpen()) return;
        changed = true;
        test::runStatement(connection(), QStringLiteral("update data set 统计=100 where 编号=%1").arg(numbers[3]));
    });
    test::StatementLog log(connection().database());
    logIn();
    ASSERT_TRUE(changed);
    EXPECT_EQ(log.count(listingStatement()), 2) << "the refresh fetched the rows again";
    EXPECT_EQ(gridColumn(kTitle), (QStringList{QStringLiteral("Wiki"), QStringLiteral("Gmail"), QStringLiteral("Steam"),
                                               QStringLiteral("Outlook")}));
    EXPECT_EQ(main().panelText(app::kRecordCountPanel), QStringLiteral("共4条信息"));
    EXPECT_EQ(listedCategories(), (QStringList{QStringLiteral("常用邮箱"), QStringLiteral("游戏账号")}))
        << "the lists were loaded before the change";
}

TEST_F(LoginListing, TheCategoryCommandsRefreshFromTheLoadsRowsAndShowTheirChange) {
    logIn();
    dialogs->queueInput(QStringLiteral("新的分类名称"));
    test::StatementLog log(connection().database());
    platform::trigger(main().N5);  // add: insert, category load, refresh
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("分类添加成功.")});
    EXPECT_EQ(log.count(listingStatement()), 1);
    EXPECT_EQ(gridRows(), 5);
    EXPECT_EQ(main().panelText(app::kRecordCountPanel), QStringLiteral("共5条信息"));
    EXPECT_TRUE(listedCategories().contains(QStringLiteral("新的分类名称")));
    EXPECT_TRUE(gridColumn(kTitle).contains(QStringLiteral("标题"))) << "the placeholder row is listed";
}

TEST_F(LoginListing, TheLoadsRowsAreLetGoOnceTheEventLoopRuns) {
    logIn();
    platform::trigger(main().Button_GeiClass);
    EXPECT_TRUE(main().ADOQuery1->reopenKeptRows({store::sql::browseByUse()}));

    platform::trigger(main().Button_GeiClass);
    QApplication::processEvents();
    EXPECT_FALSE(main().ADOQuery1->reopenKeptRows({store::sql::browseByUse()}));
    EXPECT_FALSE(main().ADOQuery1->isOpen());
}

}  // namespace
