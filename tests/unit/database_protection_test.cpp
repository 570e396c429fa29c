// The database file under the management password: the mark in the salt, the key, turning the
// protection on and off on a real file, and the maintenance that works on a protected file
// (compaction, backups, clear all, the change of the management password).
#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>

#include "access/LoginState.h"
#include "cipher/Unit_Orvel_DESCrypt.h"
#include "maintenance/Backup.h"
#include "maintenance/ClearAll.h"
#include "maintenance/DatabaseProtection.h"
#include "maintenance/Unit_DB.h"
#include "store/Connection.h"
#include "store/ConnectionString.h"
#include "store/FileProtection.h"
#include "store/Query.h"
#include "store/SqlCipherFile.h"
#include "store/Statements.h"
#include "tests/support/FileBytes.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempAppDir.h"
#include "tests/support/TransferTool.h"

namespace tessavo::maintenance {
namespace {

const QString kFixedPassword = QString::fromUtf16(store::kDatabasePassword);
const QString kTitle = QStringLiteral("UniqueVisibleTitle-4711");
const QString kPassword = QStringLiteral("vorel");

// The stored form of the record's password, which must not stand in a protected file.
QString knownPasswordCipher() {
    return QString::fromStdString(cipher::DesEncryptToHex("Secret-Pass-0815", cipher::AccountKey()));
}

QStringList titlesIn(store::SqlCipherFile file) {
    store::SqlStatement select = file.prepare(QStringLiteral("SELECT 标题 FROM data ORDER BY 编号"));
    QStringList titles;
    while (select.step()) titles << select.text(0);
    return titles;
}

test::ProgramRun sqlcipherShell(const QString& path, const QString& keyStatement) {
    const QString script = keyStatement + QStringLiteral(
                                              "\nPRAGMA cipher_page_size=1024;\nPRAGMA kdf_iter=64000;\n"
                                              "SELECT 标题 FROM data ORDER BY 编号;\n");
    return test::runProgram(QStringLiteral("sqlcipher"), {QStringLiteral("-batch"), path}, script.toUtf8());
}

// The 64 hex digits of the derived key inside a key text "x'<key><salt>'".
QString rawKeyOf(const QString& keyText) { return keyText.mid(2, 64); }

class ProtectedFile : public testing::Test {
protected:
    void SetUp() override {
        cipher::setAccountKey(cipher::kAccountKeyText);
        store::AccountRecord record;
        record.分类 = QStringLiteral("常用分类");
        record.标题 = kTitle;
        record.帐号 = QStringLiteral("someone");
        record.密码 = knownPasswordCipher();
        record.备注 = knownPasswordCipher();
        app_.addRecord(record);
        record.标题 = QStringLiteral("second");
        app_.addRecord(record);
    }

    QString path() const { return app_.databasePath(); }
    QStringList expectedTitles() const { return {kTitle, QStringLiteral("second")}; }
    QStringList titlesWith(const QString& key) const { return titlesIn(store::SqlCipherFile(path(), key)); }

    test::TempAppDir app_;
};

TEST_F(ProtectedFile, OnOffOnKeepsEveryRecordAndOnlyTheRightKeyOpensIt) {
    const QStringList before = titlesWith(kFixedPassword);
    ASSERT_EQ(before, expectedTitles());
    EXPECT_FALSE(store::isProtectedFile(path()));

    const QString firstKey = protectDatabase(path(), kFixedPassword, kPassword);
    EXPECT_TRUE(store::isProtectedFile(path()));
    EXPECT_EQ(firstKey, store::protectedFileKey(kPassword, path())) << "the key derives from the file's own salt";
    EXPECT_EQ(titlesWith(firstKey), before);
    EXPECT_THROW(store::SqlCipherFile(path(), kFixedPassword), store::NotADatabaseError);
    EXPECT_THROW(store::SqlCipherFile(path(), store::protectedFileKey(QStringLiteral("Vorel"), path())),
                 store::NotADatabaseError);

    unprotectDatabase(path(), firstKey);
    EXPECT_FALSE(store::isProtectedFile(path()));
    EXPECT_EQ(titlesWith(kFixedPassword), before);
    EXPECT_THROW(store::SqlCipherFile(path(), firstKey), store::NotADatabaseError);

    const QString secondKey = protectDatabase(path(), kFixedPassword, kPassword);
    EXPECT_TRUE(store::isProtectedFile(path()));
    EXPECT_NE(secondKey, firstKey) << "each protection takes a new salt";
    EXPECT_EQ(titlesWith(secondKey), before);
}

TEST_F(ProtectedFile, TheSqlcipherShellNeedsTheRawKeyAndTheBytesHoldNoPlainText) {
    const QString key = protectDatabase(path(), kFixedPassword, kPassword);

    const test::ProgramRun fixed = sqlcipherShell(path(), QStringLiteral("PRAGMA key='%1';").arg(kFixedPassword));
    EXPECT_FALSE(fixed.standardOutput.contains(kTitle.toUtf8()));
    EXPECT_TRUE(fixed.standardError.contains("file is encrypted or is not a database")) << fixed.standardError.data();

    const test::ProgramRun raw = sqlcipherShell(path(), QStringLiteral("PRAGMA key=\"x'%1'\";").arg(rawKeyOf(key)));
    EXPECT_TRUE(raw.standardOutput.contains(kTitle.toUtf8())) << raw.standardError.data();

    // Neither the title nor the stored cipher text of the record's password stands in the file,
    // though the records hold both (read through the raw key).
    const std::string bytes = test::readBytes(path());
    EXPECT_EQ(bytes.find(kTitle.toStdString()), std::string::npos);
    EXPECT_EQ(bytes.find(knownPasswordCipher().toStdString()), std::string::npos);
    const test::ProgramRun dump = test::runProgram(
        QStringLiteral("sqlcipher"), {QStringLiteral("-batch"), path()},
        QStringLiteral("PRAGMA key=\"x'%1'\";\nPRAGMA cipher_page_size=1024;\nSELECT 密码 FROM data;\n")
            .arg(rawKeyOf(key))
            .toUtf8());
    EXPECT_TRUE(dump.standardOutput.contains(knownPasswordCipher().toUtf8())) << "the cipher text is in the records";
}

TEST_F(ProtectedFile, AFailedRekeyLeavesTheFileAsItWas) {
    const std::string before = test::readBytes(path());
    EXPECT_THROW(protectDatabase(path(), QStringLiteral("not the key"), kPassword), Error);
    EXPECT_THROW(unprotectDatabase(path(), QStringLiteral("not the key")), Error);
    EXPECT_EQ(test::readBytes(path()), before);
}

TEST_F(ProtectedFile, CompactionKeepsTheKeyAndTheSalt) {
    const QString key = protectDatabase(path(), kFixedPassword, kPassword);
    const auto salt = store::readFileSalt(path());
    ASSERT_TRUE(CompactJetDatabase(path(), key));
    EXPECT_EQ(store::readFileSalt(path()), salt);
    EXPECT_EQ(titlesWith(key), expectedTitles());
    EXPECT_EQ(store::protectedFileKey(kPassword, path()), key);
}

TEST_F(ProtectedFile, ABackupKeepsTheKeyItHadWhenTaken) {
    const QString key = protectDatabase(path(), kFixedPassword, kPassword);
    ASSERT_TRUE(BackupCopy(app_.path(), clearAllBackupPrefix(), QStringLiteral("2026/12/10 9:05:07")));
    const QString backup = backupFilePath(app_.path(), clearAllBackupPrefix(), QStringLiteral("2026/12/10 9:05:07"));
    unprotectDatabase(path(), key);

    EXPECT_TRUE(store::isProtectedFile(backup));
    EXPECT_EQ(titlesIn(store::SqlCipherFile(backup, store::protectedFileKey(kPassword, backup))), expectedTitles());
    EXPECT_THROW(store::SqlCipherFile(backup, kFixedPassword), store::NotADatabaseError);
}

TEST_F(ProtectedFile, ClearAllWorksThroughTheKeyedConnection) {
    const QString key = protectDatabase(path(), kFixedPassword, kPassword);
    store::Connection connection(app_.connectionString());
    connection.setDatabaseKey(key);
    store::Query query(connection);
    clearAllRecords(query, app_.path(), QString());
    connection.close();

    EXPECT_TRUE(titlesWith(key).isEmpty());
    EXPECT_TRUE(store::isProtectedFile(path()));
    store::SqlStatement pass = store::SqlCipherFile(path(), key).prepare(store::sql::readManagementPassword());
    EXPECT_TRUE(pass.step()) << "table Pass stays";
    EXPECT_TRUE(store::isProtectedFile(backupFilePath(app_.path(), clearAllBackupPrefix(), QString())));
}

TEST_F(ProtectedFile, APasswordChangeRekeysUnderTheNewPasswordWithTheNewCipherInOneStep) {
    const QString oldKey = protectDatabase(path(), kFixedPassword, kPassword);
    const QString newCipher = access::loginCipherOf(QStringLiteral("NewPass9"));
    const QString newKey = protectDatabase(path(), oldKey, QStringLiteral("NewPass9"), [&](store::SqlCipherFile& f) {
        f.execute(store::sql::writeManagementPassword(newCipher));
    });

    EXPECT_EQ(newKey, store::protectedFileKey(QStringLiteral("NewPass9"), path()));
    EXPECT_THROW(store::SqlCipherFile(path(), store::protectedFileKey(kPassword, path())), store::NotADatabaseError);
    store::SqlCipherFile file(path(), newKey);
    store::SqlStatement pass = file.prepare(store::sql::readManagementPassword());
    ASSERT_TRUE(pass.step());
    EXPECT_EQ(pass.text(0), newCipher);
}

TEST_F(ProtectedFile, TheConnectionOpensWithItsKeyAndAWrongKeyIsNoDatabase) {
    const QString key = protectDatabase(path(), kFixedPassword, kPassword);
    store::Connection connection(app_.connectionString());
    EXPECT_THROW(connection.database(), store::NotADatabaseError);
    connection.setDatabaseKey(store::protectedFileKey(QStringLiteral("wrong1"), path()));
    EXPECT_THROW(connection.database(), store::NotADatabaseError);
    EXPECT_FALSE(connection.isOpen());
    connection.setDatabaseKey(key);
    EXPECT_NO_THROW(connection.database());
    EXPECT_EQ(connection.openingKey(), key);
    connection.clearDatabaseKey();
    EXPECT_FALSE(connection.isOpen());
    EXPECT_EQ(connection.openingKey(), kFixedPassword);
}

// ---- tessavo-db on a protected file

test::ProgramRun toolWithInput(const QStringList& arguments, const QByteArray& input) {
    return test::runProgram(test::builtProgram(QStringLiteral("tessavo-db")), arguments, input);
}

TEST_F(ProtectedFile, TheToolTakesThePasswordFromStandardInputAndRefusesAWrongOne) {
    protectDatabase(path(), kFixedPassword, kPassword);
    const QString dir = app_.path();
    const std::string before = test::readBytes(path());

    const test::ProgramRun exported =
        toolWithInput({QStringLiteral("export"), dir, QStringLiteral("--password-stdin")}, "vorel\n");
    EXPECT_EQ(exported.exitCode, 0) << exported.standardError.data();
    EXPECT_TRUE(exported.standardOutput.contains(kTitle.toUtf8()));

    const test::ProgramRun checked =
        toolWithInput({QStringLiteral("check"), dir, QStringLiteral("--password-stdin")}, "vorel\n");
    EXPECT_EQ(checked.exitCode, 0) << checked.standardOutput.data() << checked.standardError.data();

    const QString csv = dir + QStringLiteral("more.csv");
    // The exported records with one title changed: that one is new, the other a duplicate.
    ASSERT_TRUE(test::writeBytes(csv, QByteArray(exported.standardOutput)
                                          .replace(kTitle.toUtf8(), QByteArrayLiteral("ImportedTitle"))
                                          .toStdString()));
    const test::ProgramRun imported =
        toolWithInput({QStringLiteral("import"), dir, csv, QStringLiteral("--password-stdin")}, "vorel\n");
    EXPECT_EQ(imported.exitCode, 0) << imported.standardOutput.data() << imported.standardError.data();
    const QString key = store::protectedFileKey(kPassword, path());
    EXPECT_TRUE(titlesWith(key).contains(QStringLiteral("ImportedTitle"))) << "imported under the same key";
    EXPECT_TRUE(store::isProtectedFile(path()));

    const std::string unchanged = test::readBytes(path());
    for (const QString& command : {QStringLiteral("export"), QStringLiteral("check")}) {
        const test::ProgramRun wrong = toolWithInput({command, dir, QStringLiteral("--password-stdin")}, "Vorel\n");
        EXPECT_NE(wrong.exitCode, 0) << command.toStdString();
        EXPECT_TRUE(wrong.standardError.contains("wrong management password")) << wrong.standardError.data();
        EXPECT_FALSE(wrong.standardOutput.contains(kTitle.toUtf8()));
        const test::ProgramRun none = toolWithInput({command, dir, QStringLiteral("--password-stdin")}, "");
        EXPECT_NE(none.exitCode, 0);
        EXPECT_TRUE(none.standardError.contains("protected by the management password")) << none.standardError.data();
    }
    EXPECT_EQ(test::readBytes(path()), unchanged);
    EXPECT_NE(before, unchanged);
}

TEST(ToolOnAPlainFile, AsksForNoPassword) {
    test::TempAppDir app;
    // Nothing on standard input, no terminal needed: the file is under the fixed password.
    const test::ProgramRun checked = toolWithInput({QStringLiteral("check"), app.path()}, "");
    EXPECT_EQ(checked.exitCode, 0) << checked.standardError.data();
}

// ---- the mark

TEST(FileMark, OnlyMarkedSaltsCountAsProtected) {
    const store::FileSalt marked = store::newProtectedSalt();
    EXPECT_TRUE(store::isProtectedSalt(marked));
    EXPECT_NE(store::newProtectedSalt(), marked);
    store::FileSalt changed = marked;
    changed[0] ^= 1;
    EXPECT_FALSE(store::isProtectedSalt(changed));
    changed = marked;
    changed[15] ^= 0x80;
    EXPECT_FALSE(store::isProtectedSalt(changed));
}

TEST(FileMark, FilesOfOtherKindsAreNotProtected) {
    test::TempAppDir app;
    EXPECT_FALSE(store::isProtectedFile(app.databasePath())) << "a file under the fixed password";
    const QString path = app.path() + QStringLiteral("other");
    EXPECT_FALSE(store::isProtectedFile(path)) << "no file";
    ASSERT_TRUE(test::writeBytes(path, "short"));
    EXPECT_FALSE(store::isProtectedFile(path));
    EXPECT_FALSE(store::isProtectedFile(app.path())) << "a directory";
    EXPECT_THROW(store::protectedFileKey(kPassword, path), Error);
}

TEST(FileKey, IsTheArgon2idKeyOfThePasswordAndSaltInHex) {
    const store::FileSalt salt = store::newProtectedSalt();
    const QString key = store::protectedFileKey(kPassword, salt);
    ASSERT_EQ(key.size(), 2 + 64 + 32 + 1);
    EXPECT_TRUE(key.startsWith(QStringLiteral("x'")));
    EXPECT_TRUE(key.endsWith(u'\''));
    EXPECT_EQ(key, store::protectedFileKey(kPassword, salt));
    EXPECT_NE(key.mid(2, 64), store::protectedFileKey(QStringLiteral("vorel2"), salt).mid(2, 64));
    QString text = key;
    store::wipeText(text);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(key.size(), 99) << "wiping a copy leaves the original";
}

TEST(FileKey, MatchesTheArgon2Command) {
    // The argon2 command takes the salt as text: a salt of printable bytes.
    store::FileSalt salt{};
    const char text[] = "0123456789abcdef";
    std::copy(text, text + salt.size(), salt.begin());
    const test::ProgramRun run =
        test::runProgram(QStringLiteral("argon2"),
                         {QString::fromLatin1(text), QStringLiteral("-id"), QStringLiteral("-t"), QStringLiteral("6"),
                          QStringLiteral("-k"), QStringLiteral("65536"), QStringLiteral("-p"), QStringLiteral("1"),
                          QStringLiteral("-l"), QStringLiteral("32"), QStringLiteral("-r")},
                         "vorel");
    ASSERT_TRUE(run.finished && run.exitCode == 0) << run.standardError.data();
    EXPECT_EQ(store::protectedFileKey(kPassword, salt).mid(2, 64),
              QString::fromLatin1(run.standardOutput.trimmed()).toUpper());
}

}  // namespace
}  // namespace tessavo::maintenance
