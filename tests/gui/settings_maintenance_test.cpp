// Compact and repair ("压缩修复") and clear all data ("清空数据") on the settings page.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include "app/Unit1.h"
#include "platform/desktop/Guard.h"
#include "store/Connection.h"
#include "store/ConnectionString.h"
#include "store/Query.h"
#include "store/ResultTableModel.h"
#include "store/SqlCipherFile.h"
#include "store/Statements.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedPermissionChecks.h"

using namespace tessavo;

namespace {

const QString kClock = QStringLiteral("2017/12/30 9:05:07");
const QString kCompacted = QStringLiteral("数据库压缩完成.");
const QString kNotCompacted = QStringLiteral("数据库压缩失败.");

class MaintenanceTest : public test::ProgramFixture {
protected:
    MaintenanceTest() : tmpdir_("TMPDIR", temp_.path().toUtf8()) {}

    void SetUp() override {
        ProgramFixture::SetUp();
        logIn();
        main().setPanelText(app::kClockPanel, kClock);
        addRecords(3);
        platform::trigger(main().Button_Refresh);
        ASSERT_EQ(gridRows(), 3);
    }

    // Records go in through the program's own statement.
    void addRecords(int count) {
        store::Query insert(*main().ADOConnection1);
        for (int index = 0; index < count; ++index) {
            store::AccountRecord record;
            record.分类 = QStringLiteral("网站");
            record.标题 = QStringLiteral("标题%1").arg(index);
            record.帐号 = QStringLiteral("user%1").arg(index);
            insert.setSql(store::sql::insertRecord(record));
            insert.execute();
        }
    }

    int gridRows() { return main().DBGrid1->model()->rowCount(); }
    QString databasePath() const { return appDir() + QStringLiteral("_.udb"); }

    // Counts the rows of a table beside the program.
    int rowsIn(const QString& table) const {
        store::SqlCipherFile database(databasePath(), QString::fromUtf16(store::kDatabasePassword));
        store::SqlStatement count = database.prepare(QStringLiteral("SELECT count(*) FROM ") + table);
        count.step();
        return static_cast<int>(count.int64(0));
    }
    QString storedPassword() const {
        store::SqlCipherFile database(databasePath(), QString::fromUtf16(store::kDatabasePassword));
        store::SqlStatement select = database.prepare(QStringLiteral("SELECT 密码 FROM Pass"));
        return select.step() ? select.text(0) : QString();
    }
    QStringList backups() const { return test::entriesOf(appDir()).filter(QStringLiteral("_bak_")); }

    QTemporaryDir temp_;

private:
    test::ScopedEnvironment tmpdir_;
};

// ---- compact and repair ---------------------------------------------------------------------

TEST_F(MaintenanceTest, CompactionEmptiesTheGridAndRefreshShowsTheRecordsAgain) {
    const QString password = storedPassword();
    QTest::mouseClick(main().Button11, Qt::LeftButton);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{kCompacted});
    EXPECT_FALSE(main().ADOConnection1->isOpen());
    EXPECT_EQ(gridRows(), 0);
    EXPECT_TRUE(test::entriesOf(temp_.path()).isEmpty());
    EXPECT_TRUE(backups().isEmpty()) << "compaction takes no backup";

    QTest::mouseClick(main().Button_Refresh, Qt::LeftButton);
    EXPECT_EQ(gridRows(), 3);
    EXPECT_EQ(storedPassword(), password);
}

TEST_F(MaintenanceTest, CompactingTwiceInARowSucceedsTwice) {
    QTest::mouseClick(main().Button11, Qt::LeftButton);
    QTest::mouseClick(main().Button11, Qt::LeftButton);
    EXPECT_EQ(dialogs->takeTexts(), (std::vector<QString>{kCompacted, kCompacted}));
    EXPECT_EQ(rowsIn(QStringLiteral("data")), 3);
}

TEST_F(MaintenanceTest, AFailedCompactionLeavesTheFileAsItWasAndTheGridEmpty) {
    const std::string before = test::readBytes(databasePath());
    {
        const test::ScopedReadOnlyDirectory readOnly(appDir());
        QTest::mouseClick(main().Button11, Qt::LeftButton);
    }
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{kNotCompacted});
    EXPECT_TRUE(test::readBytes(databasePath()) == before) << "_.udb changed";
    EXPECT_EQ(gridRows(), 0);
    EXPECT_EQ(test::entriesOf(appDir()), QStringList{QStringLiteral("_.udb")});
    EXPECT_TRUE(test::entriesOf(temp_.path()).isEmpty());
}

TEST_F(MaintenanceTest, WithoutTheDatabaseFileTheConnectionStaysAsItWas) {
    ASSERT_TRUE(QFile::remove(databasePath()));
    QTest::mouseClick(main().Button11, Qt::LeftButton);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("没有发现数据库\"_.udb\"文件.")});
    EXPECT_TRUE(main().ADOConnection1->isOpen());
    EXPECT_EQ(gridRows(), 3);
}

// ---- clear all data -------------------------------------------------------------------------

TEST_F(MaintenanceTest, TheClearAllGroupStaysHidden) {
    ASSERT_TRUE(main().isVisible());
    EXPECT_FALSE(main().GroupBox5->isVisible());
    EXPECT_FALSE(main().Button9->isVisible());
}

TEST_F(MaintenanceTest, ClearAllAsksThenBacksUpAndDeletesEveryRecord) {
    const QString password = storedPassword();
    const std::string before = test::readBytes(databasePath());
    main().Edit_ZhangHao->setText(QStringLiteral("user0"));
    dialogs->queueAnswer(platform::Dialogs::Answer::Yes);
    platform::trigger(main().Button9);

    const std::vector<platform::Dialogs::Box> boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, QStringLiteral("警告"));
    EXPECT_EQ(boxes[0].text, QStringLiteral("您真的要删除数据库中所有的记录吗?"));
    EXPECT_EQ(boxes[0].icon, platform::Dialogs::Icon::Warning);
    EXPECT_EQ(boxes[0].buttons, platform::Dialogs::Buttons::YesNo);
    EXPECT_TRUE(boxes[0].topmost);

    EXPECT_EQ(rowsIn(QStringLiteral("data")), 0);
    EXPECT_EQ(storedPassword(), password);
    const QString backup = QStringLiteral("清空数据库前备份_bak_2017123090507_.udb");
    EXPECT_EQ(backups(), QStringList{backup});
    EXPECT_TRUE(test::readBytes(appDir() + backup) == before) << "the backup is not the file before the deletion";
    EXPECT_EQ(gridRows(), 0);
    EXPECT_TRUE(main().Edit_ZhangHao->text().isEmpty());
}

TEST_F(MaintenanceTest, AnsweringNoChangesNothing) {
    main().Edit_ZhangHao->setText(QStringLiteral("user0"));
    dialogs->queueAnswer(platform::Dialogs::Answer::No);
    platform::trigger(main().Button9);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("您真的要删除数据库中所有的记录吗?")});
    EXPECT_EQ(rowsIn(QStringLiteral("data")), 3);
    EXPECT_TRUE(backups().isEmpty());
    EXPECT_EQ(gridRows(), 3);
    EXPECT_EQ(main().Edit_ZhangHao->text(), QStringLiteral("user0"));
}

TEST_F(MaintenanceTest, ClearAllSwallowsItsErrors) {
    const QTemporaryDir elsewhere;
    main().ADOConnection1->setConnectionString(store::connectionStringFor(elsewhere.path() + QStringLiteral("/")));
    dialogs->queueAnswer(platform::Dialogs::Answer::Yes);
    platform::trigger(main().Button9);
    // Only the question: no error box follows.
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("您真的要删除数据库中所有的记录吗?")});
    EXPECT_EQ(rowsIn(QStringLiteral("data")), 3);
    EXPECT_EQ(backups().size(), 1) << "the backup is attempted before the deletion";
}

}  // namespace
