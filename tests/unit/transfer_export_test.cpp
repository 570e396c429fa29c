// `tessavo-db export` and `tessavo-db check`: a round trip through our own format keeps every
// record byte for byte; each manager's format comes back in through our reader; the file is
// private, written whole, and never over another without --force; check finds broken secrets.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QRegularExpression>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "store/Connection.h"
#include "store/RecordFields.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempAppDir.h"
#include "tests/support/TransferTool.h"

namespace tessavo::test {
namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }
QString output(const ProgramRun& run) { return QString::fromUtf8(run.standardOutput); }
QString errors(const ProgramRun& run) { return QString::fromUtf8(run.standardError); }

const QString kWarning = QStringLiteral(
    "tessavo-db: warning: the export holds every password and note in plain text; keep it safe and delete it when it "
    "is no longer needed.\n");

mode_t modeOf(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

// A megabyte of notes with Chinese text and line breaks in it.
QString megabyteNote() {
    QString note;
    while (note.size() < 1024 * 1024) note += QStringLiteral("第%1行, \"quoted\" text\r\n").arg(note.size());
    return note;
}

std::vector<PlainRecord> awkwardRecords() {
    return {
        {u8("网站"), u8("a,b"), u8("say \"hi\""), u8("p,w\"d"), u8("line 1\r\nline 2\r\n"),
         u8("https://a.example/?x=1,2"), 5},
        {u8("网站"), u8("百度"), u8("张三"), u8("😀🔑 密码"), u8(""), u8(""), 0},
        {u8("it's"), u8("it's"), u8("o'neil"), u8("'"), u8("'quoted'"), u8("http://'"), 12},
        {u8("大"), u8("big note"), u8("me"), u8("x"), megabyteNote(), u8("https://big.example"), 1},
        {u8("空"), u8(""), u8(""), u8(""), u8(""), u8(""), 0},
    };
}

class Export : public testing::Test {
protected:
    void SetUp() override {
        cipher::setAccountKey(cipher::kAccountKeyText);
        store::Connection connection(app_.connectionString());
        storeRecords(connection, awkwardRecords());
        // A category's placeholder row has no notes at all.
        app_.addRecord(
            {0, u8("类"), u8("http://"), u8("标题"), u8("账号"), store::encryptAccountText(u8("密码")), QString(), 0});
    }

    ProgramRun exportTo(const QString& file, const QStringList& more = {}) {
        return tessavoDb(QStringList{QStringLiteral("export"), app_.path(), QStringLiteral("-o"), file} + more);
    }

    TempAppDir app_;
};

TEST_F(Export, ARoundTripThroughAFreshDatabaseGivesTheSameFileAndRecords) {
    const QString first = app_.path() + QStringLiteral("first.csv");
    const ProgramRun out = exportTo(first);
    ASSERT_EQ(out.exitCode, 0) << errors(out).toStdString();

    const TempAppDir fresh(TempAppDir::Contents::Nothing);
    ASSERT_EQ(tessavoDb({QStringLiteral("init"), fresh.path()}).exitCode, 0);
    const ProgramRun in = tessavoDb({QStringLiteral("import"), fresh.path(), first});
    ASSERT_EQ(in.exitCode, 0) << errors(in).toStdString();
    EXPECT_TRUE(output(in).startsWith(QStringLiteral("imported 6 (tessavo), skipped 0 duplicates.\n")));

    const QString second = app_.path() + QStringLiteral("second.csv");
    ASSERT_EQ(tessavoDb({QStringLiteral("export"), fresh.path(), QStringLiteral("-o"), second}).exitCode, 0);
    const std::string text = readBytes(first);
    EXPECT_GT(text.size(), std::size_t{1024 * 1024});
    EXPECT_TRUE(readBytes(second) == text) << "the second export differs from the first";
    EXPECT_EQ(recordsIn(fresh.path()), recordsIn(app_.path()));
}

TEST_F(Export, WritesOurOwnFormatWithQuotesOnlyWhereNeeded) {
    const ProgramRun out = tessavoDb({QStringLiteral("export"), app_.path()});
    ASSERT_EQ(out.exitCode, 0) << errors(out).toStdString();
    EXPECT_EQ(errors(out), kWarning);
    const QStringList lines = output(out).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], u8("分类,标题,网址,帐号,密码,备注,统计"));
    EXPECT_EQ(lines[1], u8("网站,\"a,b\",\"https://a.example/?x=1,2\",\"say \"\"hi\"\"\",\"p,w\"\"d\",\"line 1"));
    EXPECT_EQ(lines[2], u8("line 2"));
    EXPECT_EQ(lines[3], u8("\",5"));
    EXPECT_EQ(lines[4], u8("网站,百度,,张三,😀🔑 密码,,0"));
}

struct FormatCase {
    const char* format;
    const char* header;
    const char* firstRow;  // a regular expression for the first record's row
};

class ExportFormat : public Export, public testing::WithParamInterface<FormatCase> {};

TEST_P(ExportFormat, WritesTheManagersColumnsAndReadsBackThroughItsReader) {
    const ProgramRun out =
        tessavoDb({QStringLiteral("export"), app_.path(), QStringLiteral("--format"), u8(GetParam().format)});
    ASSERT_EQ(out.exitCode, 0) << errors(out).toStdString();
    EXPECT_EQ(errors(out), kWarning);
    const QString text = output(out);
    EXPECT_TRUE(text.startsWith(u8(GetParam().header))) << text.left(300).toStdString();
    const QString firstRow = text.mid(static_cast<int>(strlen(GetParam().header))).left(200);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^") + u8(GetParam().firstRow)).match(firstRow).hasMatch())
        << firstRow.toStdString();

    const TempAppDir fresh;
    const QString file = fresh.path() + QStringLiteral("out.csv");
    ASSERT_TRUE(writeBytes(file, out.standardOutput.toStdString()));
    const ProgramRun in = tessavoDb({QStringLiteral("import"), fresh.path(), file});
    ASSERT_EQ(in.exitCode, 0) << errors(in).toStdString();
    EXPECT_TRUE(output(in).startsWith(QStringLiteral("imported 6 (%1)").arg(u8(GetParam().format))))
        << output(in).toStdString();
    const std::vector<PlainRecord> original = recordsIn(app_.path());
    const std::vector<PlainRecord> back = recordsIn(fresh.path());
    ASSERT_EQ(back.size(), original.size());
    for (std::size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].密码, original[i].密码);
        EXPECT_EQ(back[i].备注, original[i].备注);
        EXPECT_EQ(back[i].帐号, original[i].帐号);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Managers, ExportFormat,
    testing::Values(
        FormatCase{"keepassxc",
                   "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\",\"Last "
                   "Modified\",\"Created\"\n",
                   "\"Root/网站\",\"a,b\",\"say \"\"hi\"\"\",\"p,w\"\"d\",\"https://a.example/\\?x=1,2\",\"line "
                   "1\r\nline 2\r\n\","
                   "\"\",\"0\",\"\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ\",\"\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:"
                   "\\d\\dZ\"\n"},
        FormatCase{
            "bitwarden",
            "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,login_totp\n",
            "网站,,login,\"a,b\",\"line 1\r\nline 2\r\n\",,0,\"https://a.example/\\?x=1,2\",\"say "
            "\"\"hi\"\"\",\"p,w\"\"d\",\n"},
        FormatCase{
            "chrome", "name,url,username,password,note\n",
            "\"a,b\",\"https://a.example/\\?x=1,2\",\"say \"\"hi\"\"\",\"p,w\"\"d\",\"line 1\r\nline 2\r\n\"\n"}),
    [](const testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.format); });

TEST_F(Export, TheFileIsPrivateAndNeverReplacedWithoutForce) {
    const QString file = app_.path() + QStringLiteral("out.csv");
    const mode_t oldMask = ::umask(0);
    const ProgramRun first = exportTo(file);
    ::umask(oldMask);
    ASSERT_EQ(first.exitCode, 0) << errors(first).toStdString();
    EXPECT_EQ(errors(first), kWarning);
    EXPECT_TRUE(first.standardOutput.isEmpty());
    EXPECT_EQ(modeOf(file), mode_t{0600});
    EXPECT_TRUE(readBytes(file).starts_with("分类,标题"));

    ASSERT_TRUE(writeBytes(file, "someone else's file"));
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0644), 0);
    const ProgramRun refused = exportTo(file);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(
        errors(refused).contains(QStringLiteral("exists already; it is left as it is (use --force to replace it)")));
    EXPECT_EQ(readBytes(file), "someone else's file");

    const ProgramRun forced = exportTo(file, {QStringLiteral("--force")});
    ASSERT_EQ(forced.exitCode, 0) << errors(forced).toStdString();
    EXPECT_TRUE(readBytes(file).starts_with("分类,标题"));
    EXPECT_EQ(modeOf(file), mode_t{0600});
    EXPECT_EQ(entriesOf(app_.path()), (QStringList{QStringLiteral("_.udb"), QStringLiteral("out.csv")}))
        << "no temporary file is left behind";
}

TEST_F(Export, RefusesWhatItCannotDoWithAMessage) {
    struct Case {
        QStringList arguments;
        int exitCode;
        QString message;
    };
    const Case cases[] = {
        {{QStringLiteral("export"), app_.path(), QStringLiteral("--format"), QStringLiteral("firefox")},
         1,
         QStringLiteral("Records cannot be exported as firefox")},
        {{QStringLiteral("export"), app_.path(), QStringLiteral("--format"), QStringLiteral("csv")},
         2,
         QStringLiteral("unknown format csv")},
        {{QStringLiteral("export"), app_.path(), QStringLiteral("-o"), app_.path() + QStringLiteral("no/such/dir.csv")},
         1,
         QStringLiteral("No such file or directory")},
        {{QStringLiteral("export"), app_.path() + QStringLiteral("elsewhere")}, 1, QStringLiteral("does not exist")},
        {{QStringLiteral("export"), app_.path(), QStringLiteral("-o")}, 2, QStringLiteral("-o needs one value")},
    };
    const std::string before = readBytes(app_.databasePath());
    for (const Case& c : cases) {
        const ProgramRun run = tessavoDb(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(u' ').toStdString();
        EXPECT_TRUE(errors(run).contains(c.message)) << errors(run).toStdString();
        EXPECT_TRUE(run.standardOutput.isEmpty());
    }
    EXPECT_EQ(readBytes(app_.databasePath()), before);
    EXPECT_EQ(entriesOf(app_.path()), QStringList{QStringLiteral("_.udb")});
}

// ---- check

TEST(Check, ASoundDatabasePasses) {
    const TempAppDir app;
    cipher::setAccountKey(cipher::kAccountKeyText);
    store::Connection connection(app.connectionString());
    storeRecords(connection, {{u8("网站"), u8("t"), u8("a"), u8("密码"), u8("备注"), u8(""), 0}});
    const ProgramRun run = tessavoDb({QStringLiteral("check"), app.path()});
    EXPECT_EQ(run.exitCode, 0) << output(run).toStdString();
    EXPECT_EQ(output(run), QStringLiteral("integrity check: ok\nmanagement password: ok\n"
                                          "records: 1, every password and note decrypts\nthe database is sound\n"));
}

struct Damage {
    const char* name;
    const char* statement;
    const char* problem;
};

class CheckFinds : public testing::TestWithParam<Damage> {};

TEST_P(CheckFinds, EachDamageAndExitsNonZero) {
    const TempAppDir app;
    app.addRecord({0, u8("c"), u8(""), u8("t"), u8("a"),
                   QString::fromStdString(cipher::DesEncryptToHex("pw", cipher::kAccountKeyText)), QString(), 0});
    // Bytes that are no text of the code page.
    const QString notText = QString::fromStdString(cipher::DesEncryptToHex("\x81\x20", cipher::kAccountKeyText));
    app.openDatabase().execute(u8(GetParam().statement).replace(QStringLiteral("NOT_TEXT"), notText));
    const ProgramRun run = tessavoDb({QStringLiteral("check"), app.path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(output(run).contains(QStringLiteral("problem: ") + u8(GetParam().problem)))
        << output(run).toStdString();
    EXPECT_TRUE(output(run).endsWith(QStringLiteral("1 problems found\n"))) << output(run).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckFinds,
    testing::Values(
        Damage{"PasswordNotHex", "update data set 密码='XYZ'", "record 1: the password is not well-formed cipher text"},
        Damage{"PasswordEmpty", "update data set 密码=''", "record 1: the password is not well-formed cipher text"},
        Damage{"NotesCutShort", "update data set 备注='0123456789ABCDEF01'",
               "record 1: the notes is not well-formed cipher text"},
        Damage{"PasswordNotText", "update data set 密码='NOT_TEXT'", "record 1: the password does not decrypt to text"},
        Damage{"TwoManagementPasswords", "insert into Pass (密码) select 密码 from Pass",
               "table Pass holds 2 rows; the management password needs exactly one"},
        Damage{"NoManagementPassword", "delete from Pass", "table Pass holds 0 rows"},
        Damage{"PlainManagementPassword", "update Pass set 密码='vorel'",
               "the management password is not well-formed cipher text"}),
    [](const testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

TEST(Check, RefusesAFileThatIsNoDatabase) {
    const TempAppDir app(TempAppDir::Contents::Nothing);
    ASSERT_TRUE(writeBytes(app.databasePath(), std::string(8192, '\x5A')));
    const ProgramRun run = tessavoDb({QStringLiteral("check"), app.path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(errors(run).contains(QStringLiteral("is not an account database of this program")))
        << errors(run).toStdString();
}

}  // namespace
}  // namespace tessavo::test
