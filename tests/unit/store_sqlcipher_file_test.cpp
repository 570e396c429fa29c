// The raw SQLCipher file wrapper that the connection, the initial database and compaction
// share: keyed opening, one statement per prepare, scripts, and attaching a second file.
#include <gtest/gtest.h>

#include <QFile>
#include <chrono>
#include <thread>

#include "platform/base/Error.h"
#include "store/ConnectionString.h"
#include "store/SqlCipherFile.h"
#include "tests/support/ErrorText.h"
#include "tests/support/TempAppDir.h"

namespace tessavo::store {
namespace {

using test::TempAppDir;

QString databasePassword() { return QString::fromUtf16(kDatabasePassword); }

QString singleText(SqlCipherFile& file, const QString& query) {
    SqlStatement statement = file.prepare(query);
    EXPECT_TRUE(statement.step());
    return statement.text(0);
}

TEST(SqlCipherFile, OpensOnlyWithItsKeyAndNeverCreatesUnasked) {
    const TempAppDir app;
    EXPECT_NO_THROW(SqlCipherFile(app.databasePath(), databasePassword()));
    EXPECT_THROW(SqlCipherFile(app.databasePath(), QStringLiteral("Pw4r-Lq9t-Zx ")), Error);
    const QString missing = app.path() + QStringLiteral("missing.udb");
    EXPECT_THROW(SqlCipherFile(missing, databasePassword()), Error);
    EXPECT_FALSE(QFile::exists(missing));
    SqlCipherFile made(missing, QStringLiteral("k"), SqlCipherFile::Mode::CreateNew);
    made.execute(QStringLiteral("CREATE TABLE t (x); INSERT INTO t VALUES (1), (2);"));
    EXPECT_EQ(made.changes(), 2);
    EXPECT_EQ(made.lastInsertRowId(), 2);
}

TEST(SqlCipherFile, PreparesExactlyOneStatementWithBoundValues) {
    const TempAppDir app;
    SqlCipherFile file = app.openDatabase();
    EXPECT_THROW(file.prepare(QStringLiteral("SELECT 1; SELECT 2")), Error);
    EXPECT_THROW(file.prepare(QStringLiteral("  -- nothing\r\n")), Error);
    SqlStatement statement = file.prepare(QStringLiteral("SELECT ?1 || ?2, ?3, ?4 IS NULL;"));
    statement.bindText(1, QStringLiteral("密'"));
    statement.bindText(2, QStringLiteral("码"));
    statement.bindInt64(3, 1LL << 40);
    statement.bindNull(4);
    ASSERT_TRUE(statement.step());
    EXPECT_EQ(statement.text(0), QStringLiteral("密'码"));
    EXPECT_EQ(statement.int64(1), 1LL << 40);
    EXPECT_EQ(statement.text(2), QStringLiteral("1"));
    EXPECT_FALSE(statement.step());
}

TEST(SqlCipherFile, ExportsIntoAnAttachedFileUnderTheSameKey) {
    const TempAppDir app;
    app.addRecord(AccountRecord{0, QStringLiteral("分类"), {}, QStringLiteral("标题"), {}, {}, {}, 4});
    const QString copy = app.path() + QStringLiteral("copy.udb");
    {
        SqlCipherFile file = app.openDatabase();
        file.attach(copy, databasePassword(), QStringLiteral("compacted"));
        file.execute(QStringLiteral("SELECT sqlcipher_export('compacted');"));
        file.detach(QStringLiteral("compacted"));
    }
    SqlCipherFile exported(copy, databasePassword());
    EXPECT_EQ(singleText(exported, QStringLiteral("SELECT 标题 || 统计 FROM data")), QStringLiteral("标题4"));
    EXPECT_EQ(singleText(exported, QStringLiteral("SELECT count(*) FROM Pass")), QStringLiteral("1"));
    EXPECT_THROW(SqlCipherFile(copy, QStringLiteral("other")), Error);
}

TEST(SqlCipherFile, AScriptErrorCarriesTheEngineText) {
    const TempAppDir app;
    SqlCipherFile file = app.openDatabase();
    EXPECT_EQ(test::errorText([&] { file.execute(QStringLiteral("SELECT * FROM nowhere;")); }),
              "no such table: nowhere");
}

// Another program reading the file (the transfer tool, a backup) holds a read lock for a moment:
// a change waits for it instead of failing with "database is locked".
TEST(SqlCipherFile, AChangeWaitsForAnotherProgramsReadToEnd) {
    const TempAppDir app;
    SqlCipherFile program = app.openDatabase();
    SqlCipherFile other = app.openDatabase();
    SqlStatement reading = other.prepare(QStringLiteral("SELECT * FROM Pass"));
    ASSERT_TRUE(reading.step());  // the read is under way: the file is locked for changes
    std::thread otherProgram([&reading] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        reading.reset();  // the read ends
    });
    EXPECT_NO_THROW(program.execute(QStringLiteral("INSERT INTO data (标题) VALUES ('after the read');")));
    otherProgram.join();
    EXPECT_EQ(singleText(program, QStringLiteral("SELECT count(*) FROM data WHERE 标题 = 'after the read'")),
              QStringLiteral("1"));
}

TEST(QuotedIdentifier, DoublesDoubleQuotes) {
    EXPECT_EQ(quotedIdentifier(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
}

}  // namespace
}  // namespace tessavo::store
