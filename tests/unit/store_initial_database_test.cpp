// The initial database: made by createInitialDatabase and by `tessavo-db init`, readable by
// the sqlcipher shell under the database password, and never made over an existing file.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "platform/base/Error.h"
#include "store/InitialDatabase.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempAppDir.h"

namespace tessavo::store {
namespace {

using test::TempAppDir;

QString storedManagementCipher() {
    return QString::fromStdString(cipher::DesEncryptToHex("vorel", cipher::LoginKey()));
}

test::ProgramRun sqlcipherShell(const QString& path, const QString& key, const QString& script) {
    return test::runProgram(QStringLiteral("sqlcipher"), {QStringLiteral("-batch"), path},
                            (QStringLiteral("PRAGMA key='%1';\n").arg(key) + script).toUtf8());
}

test::ProgramRun tool(const QStringList& arguments) {
    const QString program = test::builtProgram(QStringLiteral("tessavo-db"));
    EXPECT_TRUE(QFile::exists(program)) << "build the tessavo-db target: " << program.toStdString();
    return test::runProgram(program, arguments);
}

void writeText(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

QByteArray digest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

TEST(InitialDatabase, TheToolMakesAFileTheSqlcipherShellReadsWithTheDatabasePassword) {
    const TempAppDir app(TempAppDir::Contents::Nothing);
    const test::ProgramRun init = tool({QStringLiteral("init"), app.path()});
    ASSERT_TRUE(init.finished);
    ASSERT_EQ(init.exitCode, 0) << init.standardError.constData();

    // Column rows of the shell: position|name|type|not null|default|primary key.
    const test::ProgramRun shell =
        sqlcipherShell(app.databasePath(), QStringLiteral("Pw4r-Lq9t-Zx"),
                       QStringLiteral("PRAGMA table_info(data);\nSELECT 'Pass', count(*), 密码 FROM Pass;\n"));
    ASSERT_EQ(shell.exitCode, 0) << shell.standardError.constData();
    const QStringList expected = {
        QStringLiteral("0|编号|INTEGER|0||1"),
        QStringLiteral("1|分类|TEXT|0||0"),
        QStringLiteral("2|网址|TEXT|0||0"),
        QStringLiteral("3|标题|TEXT|0||0"),
        QStringLiteral("4|帐号|TEXT|0||0"),
        QStringLiteral("5|密码|TEXT|0||0"),
        QStringLiteral("6|备注|TEXT|0||0"),
        QStringLiteral("7|统计|INTEGER|0|0|0"),
        QStringLiteral("Pass|1|") + storedManagementCipher(),
    };
    EXPECT_EQ(QString::fromUtf8(shell.standardOutput).split(u'\n', Qt::SkipEmptyParts), expected);
}

TEST(InitialDatabase, IsNumberedByTheDatabaseAndEncryptedOnDisk) {
    const TempAppDir app;
    SqlCipherFile database = app.openDatabase();
    database.execute(
        QStringLiteral("INSERT INTO data (分类) VALUES ('a'); INSERT INTO data (分类) VALUES ('b');"
                       "DELETE FROM data WHERE 分类='b'; INSERT INTO data (分类) VALUES ('c');"));
    SqlStatement numbers = database.prepare(QStringLiteral("SELECT group_concat(编号) FROM data"));
    ASSERT_TRUE(numbers.step());
    EXPECT_EQ(numbers.text(0), QStringLiteral("1,3")) << "a deleted number is not given again";

    QFile file(app.databasePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_FALSE(bytes.startsWith("SQLite format 3"));
    EXPECT_FALSE(bytes.contains(storedManagementCipher().toLatin1()));

    const test::ProgramRun wrongKey =
        sqlcipherShell(app.databasePath(), QStringLiteral("wrong"), QStringLiteral("SELECT count(*) FROM Pass;\n"));
    EXPECT_NE(wrongKey.exitCode, 0);
    EXPECT_TRUE(wrongKey.standardError.contains("file is encrypted or is not a database"));
}

TEST(InitialDatabase, TheToolRefusesAnExistingFileAndLeavesItAsItWas) {
    const TempAppDir app;
    const QByteArray before = digest(app.databasePath());
    const test::ProgramRun init = tool({QStringLiteral("init"), app.path()});
    EXPECT_EQ(init.exitCode, 1);
    EXPECT_TRUE(init.standardError.contains("_.udb exists already")) << init.standardError.constData();
    EXPECT_EQ(digest(app.databasePath()), before);
    EXPECT_EQ(QDir(app.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("_.udb")});
    EXPECT_THROW(createInitialDatabase(app.path()), Error);
}

TEST(InitialDatabase, TheToolRefusesAMissingDirectory) {
    const TempAppDir app(TempAppDir::Contents::Nothing);
    const QString missing = app.path() + QStringLiteral("not-there");
    const test::ProgramRun init = tool({QStringLiteral("init"), missing});
    EXPECT_EQ(init.exitCode, 1);
    EXPECT_TRUE(init.standardError.contains("does not exist")) << init.standardError.constData();
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_TRUE(QDir(app.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST(InitialDatabase, NeitherADanglingLinkNorAFileStandsInForTheDirectoryOrTheTarget) {
    const TempAppDir app(TempAppDir::Contents::Nothing);
    ASSERT_TRUE(QFile::link(app.path() + QStringLiteral("elsewhere.udb"), app.databasePath()));
    EXPECT_EQ(tool({QStringLiteral("init"), app.path()}).exitCode, 1);
    EXPECT_FALSE(QFileInfo::exists(app.path() + QStringLiteral("elsewhere.udb"))) << "the link was followed";
    QFile::remove(app.databasePath());

    writeText(app.path() + QStringLiteral("plain"), "not a directory");
    EXPECT_THROW(createInitialDatabase(app.path() + QStringLiteral("plain")), Error);
    EXPECT_EQ(QDir(app.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("plain")});
}

class ToolUsage : public testing::TestWithParam<QStringList> {};

TEST_P(ToolUsage, IsRefusedWithAMessage) {
    const test::ProgramRun run = tool(GetParam());
    EXPECT_TRUE(run.finished);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.standardError.contains("usage: tessavo-db init DIR")) << run.standardError.constData();
}

INSTANTIATE_TEST_SUITE_P(InitialDatabase, ToolUsage,
                         testing::Values(QStringList{}, QStringList{QStringLiteral("init")},
                                         QStringList{QStringLiteral("make"), QStringLiteral("/tmp")},
                                         QStringList{QStringLiteral("init"), QStringLiteral("/tmp"),
                                                     QStringLiteral("extra")}));

}  // namespace
}  // namespace tessavo::store
