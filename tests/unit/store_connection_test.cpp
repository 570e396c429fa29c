// The connection: its string, the lazy open through SQLCipher, the errors of a file that
// cannot be read, and closing, which closes every query's result.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <memory>

#include "platform/base/Error.h"
#include "store/Connection.h"
#include "store/ConnectionString.h"
#include "store/InitialDatabase.h"
#include "store/Query.h"
#include "store/Statements.h"
#include "tests/support/ErrorText.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempAppDir.h"

namespace tessavo::store {
namespace {

using test::TempAppDir;

TEST(ConnectionString, IsAssembledFromTheThreePieces) {
    EXPECT_EQ(connectionStringFor(QStringLiteral("/home/user/Tessavo/")),
              QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/home/user/Tessavo/_.udb;Persist Security "
                             "Info=False;Jet OLEDB:Database Password=Pw4r-Lq9t-Zx"));
}

struct ParseCase {
    const char16_t* connectionString;
    const char16_t* dataSource;
    const char16_t* password;
};

class ConnectionStringParse : public testing::TestWithParam<ParseCase> {};

TEST_P(ConnectionStringParse, ReadsDataSourceAndDatabasePassword) {
    const ConnectionSettings settings = parseConnectionString(QString::fromUtf16(GetParam().connectionString));
    EXPECT_EQ(settings.dataSource, QString::fromUtf16(GetParam().dataSource));
    EXPECT_EQ(settings.databasePassword, QString::fromUtf16(GetParam().password));
}

INSTANTIATE_TEST_SUITE_P(
    Connection, ConnectionStringParse,
    testing::Values(ParseCase{u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/a/帐号/_.udb;Persist Security Info=False;"
                              u"Jet OLEDB:Database Password=Pw4r-Lq9t-Zx",
                              u"/a/帐号/_.udb", u"Pw4r-Lq9t-Zx"},
                    ParseCase{u" data source = /x/_.udb ; JET OLEDB:DATABASE PASSWORD=p=q", u"/x/_.udb", u"p=q"},
                    ParseCase{u"Data Source=\"/a;b/_.udb\";Jet OLEDB:Database Password='it''s'", u"/a;b/_.udb",
                              u"it's"},
                    ParseCase{u"junk;Data Source=/y", u"/y", u""}, ParseCase{u"", u"", u""}));

TEST(ConnectionString, ADirectoryWithASemicolonReadsBackWhole) {
    const QString directory = QStringLiteral("/tmp/a;b 'c\"/");
    const ConnectionSettings settings = parseConnectionString(connectionStringFor(directory));
    EXPECT_EQ(settings.dataSource, directory + QStringLiteral("_.udb"));
    EXPECT_EQ(settings.databasePassword, QStringLiteral("Pw4r-Lq9t-Zx"));
}

TEST(Connection, WorksInADirectoryWithAwkwardCharacters) {
    const TempAppDir parent(TempAppDir::Contents::Nothing);
    const QString directory = parent.path() + QStringLiteral("a %3F?#b;c 帐号'/");
    ASSERT_TRUE(QDir().mkpath(directory));
    createInitialDatabase(directory);
    Connection connection(connectionStringFor(directory));
    Query query(connection);
    query.setSql(sql::readManagementPassword());
    query.open();
    EXPECT_EQ(query.recordCount(), 1);
    EXPECT_EQ(QDir(parent.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1)
        << "no second file was made beside the directory";
}

TEST(Connection, OpensOnlyWhenTheFirstStatementRuns) {
    const TempAppDir app;
    Connection connection;
    connection.setConnectionString(app.connectionString());
    Query query(connection);
    query.setSql(sql::readManagementPassword());
    EXPECT_FALSE(connection.isOpen());
    query.open();
    EXPECT_TRUE(connection.isOpen());
    EXPECT_EQ(query.recordCount(), 1);
}

TEST(Connection, AMissingFileFailsAtTheFirstStatementNotBefore) {
    const TempAppDir app(TempAppDir::Contents::Nothing);
    Connection connection(app.connectionString());
    Query query(connection);
    query.setSql(sql::readManagementPassword());
    EXPECT_EQ(test::errorText([&] { query.open(); }), "unable to open database file");
    EXPECT_FALSE(connection.isOpen());
    EXPECT_FALSE(QFile::exists(app.databasePath())) << "the data layer must never create the database file";
}

// A damaged or foreign file, or one that lacks table Pass: the engine's text at the first statement.
struct UnreadableCase {
    const char* name;
    void (*spoil)(const TempAppDir& app, QString& connectionString);
    const char* engineText;
};

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

const UnreadableCase kUnreadable[] = {
    {"WrongPassword",
     [](const TempAppDir& app, QString& connectionString) {
         connectionString =
             connectionStringFor(app.path()).replace(QStringLiteral("Pw4r-Lq9t-Zx"), QStringLiteral("x"));
     },
     "file is encrypted or is not a database"},
    {"GarbageFile", [](const TempAppDir& app, QString&) { writeFile(app.databasePath(), QByteArray(8192, '\x5a')); },
     "file is encrypted or is not a database"},
    {"TextFile",
     [](const TempAppDir& app, QString&) { writeFile(app.databasePath(), "Standard Jet DB, or so it says\n"); },
     "file is encrypted or is not a database"},
    {"PassTableMissing",
     [](const TempAppDir& app, QString&) { app.openDatabase().execute(QStringLiteral("DROP TABLE Pass;")); },
     "no such table: Pass"},
};

class UnreadableDatabase : public testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadableDatabase, TheReadOfPassFailsWithTheEngineText) {
    const TempAppDir app;
    QString connectionString = app.connectionString();
    GetParam().spoil(app, connectionString);
    Connection connection(connectionString);
    Query query(connection);
    query.setObjectName(QStringLiteral("ADOQuery_Pass"));
    query.setSql(sql::readManagementPassword());
    EXPECT_EQ(test::errorText([&] { query.open(); }), GetParam().engineText);
    EXPECT_FALSE(query.isOpen());
}

INSTANTIATE_TEST_SUITE_P(Connection, UnreadableDatabase, testing::ValuesIn(kUnreadable),
                         [](const testing::TestParamInfo<UnreadableCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(Connection, AFailedOpenIsTriedAgainByTheNextStatement) {
    const TempAppDir app;
    Connection connection(QString(app.connectionString()).replace(QStringLiteral("Pw4r"), QStringLiteral("Xx4r")));
    Query query(connection);
    query.setSql(sql::readManagementPassword());
    EXPECT_THROW(query.open(), Error);
    connection.setConnectionString(app.connectionString());
    query.open();
    EXPECT_EQ(query.recordCount(), 1);
}

TEST(Connection, ClosingClosesTheResultOfEveryQuery) {
    const TempAppDir app;
    Connection connection(app.connectionString());
    Query browse(connection);
    Query pass(connection);
    Query idle(connection);
    browse.setSql(sql::browseByUse());
    browse.open();
    pass.setSql(sql::readManagementPassword());
    pass.open();
    QSignalSpy browseClosed(&browse, &Query::resultChanged);
    QSignalSpy idleChanged(&idle, &Query::resultChanged);

    connection.close();

    EXPECT_FALSE(connection.isOpen());
    EXPECT_FALSE(browse.isOpen());
    EXPECT_FALSE(pass.isOpen());
    EXPECT_EQ(browseClosed.count(), 1);
    EXPECT_EQ(idleChanged.count(), 0) << "a query without a result has nothing to close";
    EXPECT_THROW(browse.recordCount(), Error);
    // The next statement opens the connection again.
    pass.open();
    EXPECT_TRUE(connection.isOpen());
}

TEST(Connection, QueriesOutlivingTheirConnectionRefuseToRun) {
    const TempAppDir app;
    auto connection = std::make_unique<Connection>(app.connectionString());
    Query query(*connection);
    query.setSql(sql::readManagementPassword());
    query.open();
    connection.reset();
    EXPECT_FALSE(query.isOpen());
    EXPECT_THROW(query.open(), Error);
    EXPECT_THROW(query.execute(), Error);
}

TEST(Connection, ReadsAFileMadeByTheSqlcipherShell) {
    const TempAppDir app(TempAppDir::Contents::Nothing);
    const test::ProgramRun shell = test::runProgram(
        QStringLiteral("sqlcipher"), {app.databasePath()},
        QStringLiteral("PRAGMA key='Pw4r-Lq9t-Zx';\n"
                       "CREATE TABLE data (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 分类 TEXT, 网址 TEXT, 标题 TEXT, "
                       "帐号 TEXT, 密码 TEXT, 备注 TEXT, 统计 INTEGER DEFAULT 0);\n"
                       "CREATE TABLE Pass (密码 TEXT);\n"
                       "INSERT INTO Pass VALUES ('C0FFEE');\n"
                       "INSERT INTO data (分类, 标题, 帐号, 密码) VALUES ('shell', 'made in the shell', 'me', 'AB');\n")
            .toUtf8());
    ASSERT_TRUE(shell.finished);
    ASSERT_EQ(shell.exitCode, 0) << shell.standardError.constData();

    Connection connection(app.connectionString());
    Query query(connection);
    query.setSql(sql::readManagementPassword());
    query.open();
    EXPECT_EQ(query.fieldByName(QStringLiteral("密码")), QStringLiteral("C0FFEE"));
    query.setSql(sql::browseAllColumns());
    query.open();
    ASSERT_EQ(query.recordCount(), 1);
    EXPECT_EQ(query.field(3), QStringLiteral("made in the shell"));
    EXPECT_EQ(query.field(7), QStringLiteral("0"));
}

}  // namespace
}  // namespace tessavo::store
