// `tessavo-db import`: the exports of KeePassXC, Bitwarden, Chrome/Edge and Firefox, written by
// hand from each manager's documented columns and made by the real keepassxc-cli, end up as
// the records the program shows; duplicates are skipped; a backup comes first; and every
// refusal leaves _.udb byte for byte as it was.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "store/Connection.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempAppDir.h"
#include "tests/support/TransferTool.h"

namespace tessavo::test {

void PrintTo(const PlainRecord& r, std::ostream* out) {
    *out << "{" << r.分类.toStdString() << " | " << r.标题.toStdString() << " | " << r.帐号.toStdString() << " | "
         << r.密码.toStdString() << " | " << r.备注.toStdString() << " | " << r.网址.toStdString() << " | " << r.统计
         << "}";
}

namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

QString output(const ProgramRun& run) { return QString::fromUtf8(run.standardOutput); }
QString errors(const ProgramRun& run) { return QString::fromUtf8(run.standardError); }

struct FixtureCase {
    const char* file;
    const char* format;  // as given on the command line
    const char* reported;
    std::vector<PlainRecord> records;
};

class ForeignFile : public testing::TestWithParam<FixtureCase> {};

TEST_P(ForeignFile, BecomesTheRecordsTheProgramShows) {
    const TempAppDir app;
    const FixtureCase& c = GetParam();
    QStringList arguments{QStringLiteral("import"), app.path(), transferFixture(u8(c.file))};
    if (*c.format) arguments << QStringLiteral("--format") << u8(c.format);
    const ProgramRun run = tessavoDb(arguments);
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.exitCode, 0) << errors(run).toStdString();
    EXPECT_TRUE(output(run).startsWith(
        QStringLiteral("imported %1 (%2), skipped 0 duplicates.\n").arg(c.records.size()).arg(u8(c.reported))))
        << output(run).toStdString();
    EXPECT_EQ(recordsIn(app.path()), c.records);
}

const std::vector<PlainRecord> kKeePassXCRecords{
    {u8("KeePassXC导入"), u8("Router"), u8("admin"), u8("r0uter!"), u8(""), u8("http://192.168.1.1"), 0},
    {u8("Mail"), u8("Webmail"), u8("alice@example.com"), u8("se,cr\"et"), u8("first line\r\nsecond \"quoted\" line"),
     u8("https://mail.example.com/login"), 0},
    {u8("银行"), u8("工商银行"), u8("张三"), u8("密码123"), u8(""), u8("https://www.icbc.com.cn"), 0},
    {u8("KeePassXC导入"), u8("shop.example.org"), u8("nobody"), u8("x"), u8(""), u8("https://shop.example.org/cart"),
     0},
};

INSTANTIATE_TEST_SUITE_P(
    Managers, ForeignFile,
    testing::Values(
        FixtureCase{"keepassxc.csv", "", "keepassxc", kKeePassXCRecords},
        FixtureCase{"keepassxc.csv", "keepassxc", "keepassxc", kKeePassXCRecords},
        FixtureCase{
            "bitwarden.csv",
            "auto",
            "bitwarden",
            {{u8("Social"), u8("Twitter"), u8("bird"), u8("p,\"w"), u8("two\r\nlines"), u8("https://twitter.com/login"),
              0},
             {u8("Email"), u8("Outlook"), u8("me@work.example"), u8("o365!"), u8(""), u8("outlook.office.com"), 0},
             {u8("Bitwarden导入"), u8("Wifi code"), u8(""), u8(""), u8("the code is \"1234\""), u8(""), 0},
             {u8("Bitwarden导入"), u8(""), u8("anon"), u8("pw"), u8(""), u8(""), 0}}},
        FixtureCase{
            "chrome.csv",
            "",
            "chrome",
            {{u8("Chrome导入"), u8("example.com"), u8("joe"), u8("pa,ss"), u8(""), u8("https://example.com/login"), 0},
             {u8("Chrome导入"), u8("accounts.google.com"), u8("joe@gmail.com"), u8("g00gle"),
              u8("recovery: \"phone\"\r\nsecond line"), u8("https://accounts.google.com/signin"), 0}}},
        FixtureCase{"edge.csv",
                    "chrome",
                    "chrome",
                    {{u8("Chrome导入"), u8("login.live.com"), u8("edge@outlook.example"), u8("e\"dge"), u8(""),
                      u8("https://login.live.com/"), 0}}},
        FixtureCase{"firefox.csv",
                    "",
                    "firefox",
                    {{u8("Firefox导入"), u8("www.mozilla.org"), u8("fox"), u8("f1r3"), u8(""),
                      u8("https://www.mozilla.org"), 0},
                     {u8("Firefox导入"), u8("mail.example.cn"), u8("用户"), u8("密,码\""), u8(""),
                      u8("https://mail.example.cn:8443"), 0}}}),
    [](const testing::TestParamInfo<FixtureCase>& info) {
        return QString::fromUtf8(info.param.file).section(u'.', 0, 0).toStdString() + "_" +
               (*info.param.format ? std::string(info.param.format) : std::string("recognised"));
    });

TEST(Import, TakesABackupFirstUnderItsOwnPrefix) {
    const TempAppDir app;
    const std::string before = readBytes(app.databasePath());
    const ProgramRun run =
        tessavoDb({QStringLiteral("import"), app.path(), transferFixture(QStringLiteral("chrome.csv"))});
    ASSERT_EQ(run.exitCode, 0) << errors(run).toStdString();

    const QStringList backups = entriesOf(app.path()).filter(QStringLiteral("导入前备份_bak_"));
    ASSERT_EQ(backups.size(), 1) << entriesOf(app.path()).join(u' ').toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^导入前备份_bak_\\d{14}_\\.udb$")).match(backups[0]).hasMatch())
        << backups[0].toStdString();
    EXPECT_EQ(readBytes(app.path() + backups[0]), before);
    EXPECT_TRUE(output(run).contains(QStringLiteral("backup before the import: ") + app.path() + backups[0]));
}

TEST(Import, SkipsRecordsEqualToStoredOnesOrEarlierRowsAndCountsThem) {
    const TempAppDir app;
    {
        store::Connection connection(app.connectionString());
        cipher::setAccountKey(cipher::kAccountKeyText);
        // Equal in category, title, address, account and password; the notes do not count.
        storeRecords(connection, {{u8("Chrome导入"), u8("example.com"), u8("joe"), u8("pa,ss"), u8("other notes"),
                                   u8("https://example.com/login"), 3}});
    }
    const QString file = app.path() + QStringLiteral("twice.csv");
    ASSERT_TRUE(writeBytes(file,
                           "name,url,username,password\n"
                           "example.com,https://example.com/login,joe,\"pa,ss\"\n"
                           "new.example,https://new.example/,ann,1\n"
                           "new.example,https://new.example/,ann,1\n"
                           "new.example,https://new.example/,ann,2\n"));
    const ProgramRun run = tessavoDb({QStringLiteral("import"), app.path(), file});
    ASSERT_EQ(run.exitCode, 0) << errors(run).toStdString();
    EXPECT_TRUE(output(run).startsWith(QStringLiteral("imported 2 (chrome), skipped 2 duplicates.\n")))
        << output(run).toStdString();
    const std::vector<PlainRecord> records = recordsIn(app.path());
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].密码, QStringLiteral("1"));
    EXPECT_EQ(records[2].密码, QStringLiteral("2"));

    // A second import of the same file finds nothing new and writes nothing.
    const std::string before = readBytes(app.databasePath());
    const QStringList entries = entriesOf(app.path());
    const ProgramRun again = tessavoDb({QStringLiteral("import"), app.path(), file});
    ASSERT_EQ(again.exitCode, 0);
    EXPECT_TRUE(output(again).startsWith(QStringLiteral("imported 0 (chrome), skipped 4 duplicates.\n")));
    EXPECT_EQ(readBytes(app.databasePath()), before);
    EXPECT_EQ(entriesOf(app.path()), entries) << "no backup for an import that writes nothing";
}

TEST(Import, ADryRunReportsAndWritesNothing) {
    const TempAppDir app;
    const std::string before = readBytes(app.databasePath());
    const QStringList entries = entriesOf(app.path());
    const ProgramRun run = tessavoDb({QStringLiteral("import"), app.path(),
                                      transferFixture(QStringLiteral("bitwarden.csv")), QStringLiteral("--dry-run")});
    ASSERT_EQ(run.exitCode, 0) << errors(run).toStdString();
    EXPECT_EQ(output(run),
              QStringLiteral("dry run (bitwarden): would import 4, skip 0 duplicates; nothing was written.\n"));
    EXPECT_EQ(readBytes(app.databasePath()), before);
    EXPECT_EQ(entriesOf(app.path()), entries);
}

// ---- Refusals: a clear message, a non-zero exit, and the database and its folder untouched.

struct BadInput {
    const char* name;
    std::string file;  // written as in.csv; empty: no file at all
    std::vector<const char*> options;
    int exitCode;
    const char* message;  // a part of what standard error or output says
};

class RefusedImport : public testing::TestWithParam<BadInput> {};

TEST_P(RefusedImport, SaysWhyAndLeavesTheDatabaseByteIdentical) {
    const TempAppDir app;
    {
        store::Connection connection(app.connectionString());
        cipher::setAccountKey(cipher::kAccountKeyText);
        storeRecords(connection, {{u8("网站"), u8("old"), u8("me"), u8("pw"), u8(""), u8(""), 1}});
    }
    const QString file = app.path() + QStringLiteral("in.csv");
    if (!GetParam().file.empty()) {
        ASSERT_TRUE(writeBytes(file, GetParam().file));
    }
    const std::string before = readBytes(app.databasePath());
    const QStringList entries = entriesOf(app.path());

    QStringList arguments{QStringLiteral("import"), app.path(), file};
    for (const char* option : GetParam().options) arguments << u8(option);
    const ProgramRun run = tessavoDb(arguments);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_TRUE((errors(run) + output(run)).contains(u8(GetParam().message)))
        << errors(run).toStdString() << output(run).toStdString();
    EXPECT_EQ(readBytes(app.databasePath()), before);
    EXPECT_EQ(entriesOf(app.path()), entries);
}

const char kChromeHeader[] = "name,url,username,password\n";

// Rows enough for several parts of the import's reading (more than a megabyte), each with a
// note of two lines, so that parts end inside quoted fields too.
std::string manyRows(int count) {
    std::string rows = "分类,标题,网址,帐号,密码,备注,统计\n";
    for (int n = 1; n <= count; ++n) {
        rows += "many,title " + std::to_string(n) + ",https://example.com/" + std::to_string(n) + ",user" +
                std::to_string(n) + ",pw" + std::to_string(n) + ",\"note " + std::to_string(n) +
                "\r\nsecond, \"\"line\"\"\",1\n";
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedImport,
    testing::Values(
        BadInput{"NoFile", "", {}, 1, "There is no file"},
        BadInput{"EmptyFile", "\n", {}, 1, "in.csv: line 1: the file is empty"},
        BadInput{"UnknownHeader",
                 "Title,Login\nx,y\n",
                 {},
                 1,
                 "line 1: the first row is not the header of any known format"},
        BadInput{"HeaderOfAnotherFormat",
                 std::string(kChromeHeader) + "a,b,c,d\n",
                 {"--format", "firefox"},
                 1,
                 "line 1: the first row is not the header of a firefox file"},
        BadInput{
            "UnknownFormatName", std::string(kChromeHeader), {"--format", "lastpass"}, 2, "unknown format lastpass"},
        BadInput{"UnterminatedQuote",
                 std::string(kChromeHeader) + "a,b,c,d\n\"e,f,g,h\n",
                 {},
                 1,
                 "line 3: a quoted field is never closed"},
        BadInput{"WrongColumnCount",
                 std::string(kChromeHeader) + "a,b,c,d\na,b,c\n",
                 {},
                 1,
                 "line 3: the row has 3 fields where the header has 4"},
        BadInput{
            "NotUtf8", std::string(kChromeHeader) + "a,b,c,d\nx,y,caf\xE9,z\n", {}, 1, "line 3: the text is not UTF-8"},
        BadInput{"StrayQuote",
                 std::string(kChromeHeader) + "a,b\"c,d,e\n",
                 {},
                 1,
                 "line 2: a quote inside a field that does not start with one"},
        BadInput{"NulInARowAmongGoodOnes",
                 std::string(kChromeHeader) + "a,b,c,d\n" + std::string("x,y,z\0w,v\n", 10) + "e,f,g,h\n",
                 {},
                 1,
                 "line 3: refused: a field holds a NUL character"},
        BadInput{"BadUseCountInOurOwnFormat",
                 "分类,标题,网址,帐号,密码,备注,统计\nA,B,,C,D,,7\nA,B,,C,E,,-1\n",
                 {},
                 1,
                 "line 3: refused: the use count \"-1\" is not a whole number"},
        BadInput{"UnknownOption", std::string(kChromeHeader), {"--replace"}, 2, "unknown option --replace"},
        BadInput{"RefusedRowAfterManyParts",
                 manyRows(30000) + "many,last,,u,p,,x\n",
                 {},
                 1,
                 "line 60002: refused: the use count \"x\" is not a whole number"},
        BadInput{"WrongColumnCountAfterManyParts",
                 manyRows(30000) + "many,last\n",
                 {},
                 1,
                 "line 60002: the row has 2 fields where the header has 7"}),
    [](const testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

TEST(Import, StoresAFileOfManyPartsWhole) {
    const TempAppDir app;
    const QString file = app.path() + QStringLiteral("many.csv");
    ASSERT_TRUE(writeBytes(file, manyRows(30000)));
    const ProgramRun run = tessavoDb({QStringLiteral("import"), app.path(), file});
    ASSERT_EQ(run.exitCode, 0) << errors(run).toStdString();
    EXPECT_TRUE(output(run).startsWith(QStringLiteral("imported 30000 (tessavo), skipped 0 duplicates.\n")))
        << output(run).toStdString();
    const std::vector<PlainRecord> records = recordsIn(app.path());
    ASSERT_EQ(records.size(), 30000u);
    for (const std::size_t n : {std::size_t{1}, std::size_t{12345}, std::size_t{30000}}) {
        const PlainRecord expected{u8("many"),
                                   QStringLiteral("title %1").arg(n),
                                   QStringLiteral("user%1").arg(n),
                                   QStringLiteral("pw%1").arg(n),
                                   QStringLiteral("note %1\r\nsecond, \"line\"").arg(n),
                                   QStringLiteral("https://example.com/%1").arg(n),
                                   1};
        EXPECT_EQ(records[n - 1], expected);
    }
}

TEST(Import, RefusesAMissingDirectoryAndAFileThatIsNoDatabase) {
    const TempAppDir app(TempAppDir::Contents::Nothing);
    const QString csv = transferFixture(QStringLiteral("chrome.csv"));
    const ProgramRun noDirectory = tessavoDb({QStringLiteral("import"), app.path() + QStringLiteral("gone"), csv});
    EXPECT_EQ(noDirectory.exitCode, 1);
    EXPECT_TRUE(errors(noDirectory).contains(QStringLiteral("does not exist"))) << errors(noDirectory).toStdString();

    const ProgramRun noDatabase = tessavoDb({QStringLiteral("import"), app.path(), csv});
    EXPECT_EQ(noDatabase.exitCode, 1);
    EXPECT_TRUE(errors(noDatabase).contains(QStringLiteral("There is no account database")));

    const std::string garbage(4096, 'x');
    ASSERT_TRUE(writeBytes(app.databasePath(), garbage));
    const ProgramRun notOurs = tessavoDb({QStringLiteral("import"), app.path(), csv});
    EXPECT_EQ(notOurs.exitCode, 1);
    EXPECT_TRUE(errors(notOurs).contains(QStringLiteral("is not an account database of this program")))
        << errors(notOurs).toStdString();
    EXPECT_EQ(readBytes(app.databasePath()), garbage);
    EXPECT_EQ(entriesOf(app.path()), QStringList{QStringLiteral("_.udb")});
}

// ---- The real KeePassXC command-line program.

class KeePassXC : public testing::Test {
protected:
    ProgramRun cli(const QStringList& arguments, const QByteArray& input = "pw\n") {
        return runProgram(QStringLiteral("keepassxc-cli"), arguments, input);
    }
    void run(const QStringList& arguments, const QByteArray& input = "pw\n") {
        const ProgramRun done = cli(arguments, input);
        ASSERT_TRUE(done.finished) << "keepassxc-cli (Debian package keepassxc) did not run";
        ASSERT_EQ(done.exitCode, 0) << done.standardError.constData();
    }
    QString database() const { return app_.path() + QStringLiteral("vault.kdbx"); }
    // The database's entries as `keepassxc-cli export --format csv` writes them.
    QString exported() {
        const ProgramRun done = cli({QStringLiteral("export"), QStringLiteral("-q"), QStringLiteral("--format"),
                                     QStringLiteral("csv"), database()});
        EXPECT_EQ(done.exitCode, 0) << done.standardError.constData();
        const QString path = app_.path() + QStringLiteral("keepassxc.csv");
        EXPECT_TRUE(writeBytes(path, done.standardOutput.toStdString()));
        return path;
    }
    void makeVault() {
        run({QStringLiteral("db-create"), QStringLiteral("-q"), QStringLiteral("-p"), database()}, "pw\npw\n");
        for (const char* group : {"Internet", "Internet/Mail", "银行"})
            run({QStringLiteral("mkdir"), QStringLiteral("-q"), database(), u8(group)});
        run({QStringLiteral("add"), QStringLiteral("-q"), QStringLiteral("-u"), QStringLiteral("alice@example.com"),
             QStringLiteral("--url"), QStringLiteral("https://mail.example.com/login"), QStringLiteral("--notes"),
             u8("line one\nline \"two\", 中文"), QStringLiteral("-p"), database(),
             QStringLiteral("Internet/Mail/Webmail")},
            u8("pw\nse,cr\"et 密码\n").toUtf8());
        run({QStringLiteral("add"), QStringLiteral("-q"), QStringLiteral("-u"), u8("张三"), QStringLiteral("--url"),
             QStringLiteral("https://www.icbc.com.cn"), QStringLiteral("-p"), database(), u8("银行/工商银行")},
            u8("pw\n密码😀\n").toUtf8());
        run({QStringLiteral("add"), QStringLiteral("-q"), QStringLiteral("-u"), QStringLiteral("bob"),
             QStringLiteral("-p"), database(), QStringLiteral("At the root")},
            "pw\nrootpw\n");
    }

    TempAppDir app_;
};

TEST_F(KeePassXC, ItsCsvExportComesInWithGroupsAsCategories) {
    makeVault();
    const ProgramRun import = tessavoDb({QStringLiteral("import"), app_.path(), exported()});
    ASSERT_EQ(import.exitCode, 0) << errors(import).toStdString();
    EXPECT_TRUE(output(import).startsWith(QStringLiteral("imported 3 (keepassxc), skipped 0 duplicates.\n")));

    std::vector<PlainRecord> records = recordsIn(app_.path());
    std::sort(records.begin(), records.end(),
              [](const PlainRecord& a, const PlainRecord& b) { return a.标题 < b.标题; });
    const std::vector<PlainRecord> expected{
        {u8("KeePassXC导入"), u8("At the root"), u8("bob"), u8("rootpw"), u8(""), u8(""), 0},
        {u8("Mail"), u8("Webmail"), u8("alice@example.com"), u8("se,cr\"et 密码"), u8("line one\r\nline \"two\", 中文"),
         u8("https://mail.example.com/login"), 0},
        {u8("银行"), u8("工商银行"), u8("张三"), u8("密码😀"), u8(""), u8("https://www.icbc.com.cn"), 0},
    };
    EXPECT_EQ(records, expected);
}

TEST_F(KeePassXC, OurExportHasExactlyTheHeaderKeePassXCWrites) {
    makeVault();
    const std::string theirs = readBytes(exported());
    const std::string theirHeader = theirs.substr(0, theirs.find('\n') + 1);
    ASSERT_FALSE(theirHeader.empty());

    const ProgramRun ours =
        tessavoDb({QStringLiteral("export"), app_.path(), QStringLiteral("--format"), QStringLiteral("keepassxc")});
    ASSERT_EQ(ours.exitCode, 0) << errors(ours).toStdString();
    const std::string text = ours.standardOutput.toStdString();
    EXPECT_EQ(text.substr(0, text.find('\n') + 1), theirHeader);
}

}  // namespace
}  // namespace tessavo::test
