// Clearing all data: the backup first, every record of table data gone, table Pass untouched,
// and the grid's query left open on the empty table.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "maintenance/Backup.h"
#include "maintenance/ClearAll.h"
#include "platform/base/Error.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/Statements.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempAppDir.h"

namespace tessavo::maintenance {
namespace {

using test::TempAppDir;

const QString kClock = QStringLiteral("2017/12/30 9:05:07");

int rowCount(store::SqlCipherFile database, const QString& table) {
    store::SqlStatement count = database.prepare(QStringLiteral("SELECT count(*) FROM ") + table);
    count.step();
    return static_cast<int>(count.int64(0));
}

QString storedPassword(store::SqlCipherFile database) {
    store::SqlStatement select = database.prepare(QStringLiteral("SELECT 密码 FROM Pass"));
    return select.step() ? select.text(0) : QString();
}

class ClearAll : public testing::Test {
protected:
    ClearAll() : connection_(app_.connectionString()), query_(connection_) {
        store::AccountRecord record;
        record.分类 = QStringLiteral("网站");
        record.帐号 = QStringLiteral("someone");
        app_.addRecords({record, record, record});
    }

    TempAppDir app_;
    store::Connection connection_;
    store::Query query_;
};

TEST_F(ClearAll, AsksTheQuestion) {
    EXPECT_EQ(clearAllConfirmation(), QStringLiteral("您真的要删除数据库中所有的记录吗?"));
}

TEST_F(ClearAll, BacksUpThenDeletesEveryRecordAndKeepsPass) {
    const std::string before = test::readBytes(app_.databasePath());
    const QString password = storedPassword(app_.openDatabase());
    clearAllRecords(query_, app_.path(), kClock);

    EXPECT_EQ(rowCount(app_.openDatabase(), QStringLiteral("data")), 0);
    EXPECT_EQ(storedPassword(app_.openDatabase()), password);
    const QString backup = app_.path() + QStringLiteral("清空数据库前备份_bak_2017123090507_.udb");
    EXPECT_TRUE(test::readBytes(backup) == before) << "the backup is not the file before the deletion";
    ASSERT_TRUE(query_.isOpen());
    EXPECT_EQ(query_.recordCount(), 0);
    EXPECT_EQ(query_.sql(), QStringList{store::sql::browseAfterClear()});
}

TEST_F(ClearAll, AnEmptyTableStillGetsItsBackup) {
    app_.openDatabase().execute(QStringLiteral("DELETE FROM data;"));
    // Before the clock's first tick the stamp is empty.
    clearAllRecords(query_, app_.path(), QString());
    EXPECT_TRUE(QFile::exists(app_.path() + QStringLiteral("清空数据库前备份_bak__.udb")));
    EXPECT_EQ(query_.recordCount(), 0);
}

TEST_F(ClearAll, AFailedBackupStopsNothing) {
    // A clock text so long that no file system takes the backup's name: the copy is refused.
    const QString longClock(300, u'9');
    clearAllRecords(query_, app_.path(), longClock);
    EXPECT_TRUE(test::entriesOf(app_.path()).filter(QStringLiteral("_bak_")).isEmpty());
    EXPECT_EQ(rowCount(app_.openDatabase(), QStringLiteral("data")), 0);
}

TEST_F(ClearAll, AFailingDeletionThrowsAndLeavesTheRecords) {
    connection_.setConnectionString(TempAppDir(TempAppDir::Contents::Nothing).connectionString());
    EXPECT_THROW(clearAllRecords(query_, app_.path(), kClock), Error);
    EXPECT_FALSE(query_.isOpen());
    EXPECT_EQ(rowCount(app_.openDatabase(), QStringLiteral("data")), 3);
}

}  // namespace
}  // namespace tessavo::maintenance
