// The database file format stays SQLCipher 3's whatever the library's own defaults are: the
// committed file made by the program opens and reads, and every file the program makes can be
// read by a plain SQLCipher 3 reader (the Debian sqlcipher shell) with those settings only.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "maintenance/Unit_DB.h"
#include "platform/base/Error.h"
#include "store/Connection.h"
#include "store/ConnectionString.h"
#include "store/InitialDatabase.h"
#include "store/RecordFields.h"
#include "store/SqlCipherFile.h"
#include "tests/support/RunProgram.h"

namespace tessavo::store {
namespace {

const QString kFixture = QStringLiteral(TESSAVO_UNIT_FIXTURES "/_.udb");

QString databasePassword() { return QString::fromUtf16(kDatabasePassword); }

// The settings of SQLCipher 3 files, and those of a library that defaults to others
// (SQLCipher 4 takes 4096-byte pages, 256 000 iterations and SHA512).
const char* const kVersion3Settings =
    "PRAGMA cipher_page_size = 1024; PRAGMA kdf_iter = 64000; "
    "PRAGMA cipher_use_hmac = ON;";
const char* const kOtherSettings =
    "PRAGMA cipher_page_size = 4096; PRAGMA kdf_iter = 4000; "
    "PRAGMA cipher_use_hmac = OFF;";

// For its lifetime, the library in this process defaults to other settings than SQLCipher 3's,
// as a later library would.
class OtherLibraryDefaults {
public:
    OtherLibraryDefaults() { setDefaults(4096, 4000, "OFF"); }
    ~OtherLibraryDefaults() { setDefaults(1024, 64000, "ON"); }
    OtherLibraryDefaults(const OtherLibraryDefaults&) = delete;
    OtherLibraryDefaults& operator=(const OtherLibraryDefaults&) = delete;

private:
    void setDefaults(int pageSize, int iterations, const char* hmac) {
        SqlCipherFile scratch(directory_.filePath(QStringLiteral("scratch")), QStringLiteral("k"),
                              SqlCipherFile::Mode::CreateNew);
        scratch.execute(QStringLiteral("PRAGMA cipher_default_page_size = %1; PRAGMA cipher_default_kdf_iter = %2; "
                                       "PRAGMA cipher_default_use_hmac = %3;")
                            .arg(pageSize)
                            .arg(iterations)
                            .arg(QString::fromLatin1(hmac)));
    }
    QTemporaryDir directory_;
};

// Whether the sqlcipher shell, told these settings and nothing else, reads the file's tables.
bool shellReads(const QString& path, const char* settings) {
    const QString script = QStringLiteral("PRAGMA key='%1';\n%2\nSELECT count(*) FROM sqlite_master;\n")
                               .arg(databasePassword(), QString::fromLatin1(settings));
    const test::ProgramRun shell = test::runProgram(QStringLiteral("sqlcipher"), {"-batch", path}, script.toUtf8());
    return shell.finished && shell.exitCode == 0 && shell.standardError.isEmpty() &&
           shell.standardOutput.trimmed().toInt() > 0;
}

class FileFormat : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(directory_.isValid()); }
    QString path(const QString& name) const { return directory_.filePath(name); }

    QTemporaryDir directory_;
};

TEST_F(FileFormat, TheCommittedFileOpensAndReads) {
    ASSERT_TRUE(QFile::copy(kFixture, path(QStringLiteral("_.udb"))));
    cipher::setAccountKey("40618253");
    const OtherLibraryDefaults otherDefaults;
    Connection connection(connectionStringFor(directory_.path() + u'/'));
    SqlCipherFile& file = connection.database();
    SqlStatement records =
        file.prepare(QStringLiteral("SELECT 分类, 网址, 标题, 帐号, 密码, 备注, 统计 FROM data ORDER BY 编号"));
    ASSERT_TRUE(records.step());
    EXPECT_EQ(records.text(0), QStringLiteral("网站"));
    EXPECT_EQ(records.text(1), QStringLiteral("https://example.com/登录"));
    EXPECT_EQ(records.text(2), QStringLiteral("示例"));
    EXPECT_EQ(records.text(3), QStringLiteral("alice"));
    EXPECT_EQ(decryptAccountText(records.text(4)), QStringLiteral("s3cret密码"));
    EXPECT_EQ(decryptAccountText(records.text(5)), QStringLiteral("备注\r\nnote"));
    EXPECT_EQ(records.int64(6), 3);
    EXPECT_FALSE(records.step()) << "one record";
    SqlStatement pass = file.prepare(QStringLiteral("SELECT 密码 FROM Pass"));
    ASSERT_TRUE(pass.step());
    EXPECT_EQ(pass.text(0).toStdString(), cipher::DesEncryptToHex("vorel", cipher::LoginKey()));
}

// The initial file and a compacted copy, made while the library defaults to other settings.
TEST_F(FileFormat, FilesTheProgramMakesKeepIt) {
    QString initial;
    {
        const OtherLibraryDefaults otherDefaults;
        initial = createInitialDatabase(directory_.path());
    }
    const QString compacted = path(QStringLiteral("compacted.udb"));
    {
        const OtherLibraryDefaults otherDefaults;
        maintenance::CompactDatabase(maintenance::compactorConnectionString(initial, databasePassword()),
                                     maintenance::compactorConnectionString(compacted, databasePassword()));
    }
    for (const QString& made : {initial, compacted}) {
        EXPECT_TRUE(shellReads(made, kVersion3Settings)) << made.toStdString();
        EXPECT_FALSE(shellReads(made, kOtherSettings)) << made.toStdString();
        EXPECT_EQ(QFileInfo(made).size() % 1024, 0);
    }
}

// The same reader refuses a file made under the other settings: the check above can fail.
TEST_F(FileFormat, TheShellTellsTheFormatsApart) {
    const QString other = path(QStringLiteral("other.udb"));
    const QString script = QStringLiteral("PRAGMA key='%1';\n%2\nCREATE TABLE t (x);\n")
                               .arg(databasePassword(), QString::fromLatin1(kOtherSettings));
    ASSERT_EQ(test::runProgram(QStringLiteral("sqlcipher"), {"-batch", other}, script.toUtf8()).exitCode, 0);
    EXPECT_TRUE(shellReads(other, kOtherSettings));
    EXPECT_FALSE(shellReads(other, kVersion3Settings));
}

}  // namespace
}  // namespace tessavo::store
