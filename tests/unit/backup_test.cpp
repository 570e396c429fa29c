#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <vector>

#include "maintenance/Backup.h"
#include "tests/support/CapturedMessages.h"
#include "tests/support/FileBytes.h"

using tessavo::maintenance::BackupCopy;
using tessavo::maintenance::backupFilePath;
using tessavo::maintenance::backupStamp;
using tessavo::maintenance::categoryDeletionBackupPrefix;
using tessavo::maintenance::clearAllBackupPrefix;
using tessavo::maintenance::passwordChangeBackupPrefix;
using tessavo::test::entriesOf;
using tessavo::test::readBytes;
using tessavo::test::writeBytes;

namespace {

QString u8(const char* text) { return QString::fromUtf8(text); }

struct StampCase {
    const char* clock;
    const char* stamp;
};

class BackupStamp : public ::testing::TestWithParam<StampCase> {};

TEST_P(BackupStamp, DropsOnlyTheFourSeparators) { EXPECT_EQ(backupStamp(u8(GetParam().clock)), u8(GetParam().stamp)); }

INSTANTIATE_TEST_SUITE_P(Cases, BackupStamp,
                         ::testing::Values(StampCase{"2017/12/30 9:05:07", "2017123090507"}, StampCase{"", ""},
                                           StampCase{"2017-12-30 09:05:07", "20171230090507"},
                                           StampCase{"30.12.2017 9:05:07", "30.12.201790507"},
                                           StampCase{"12/30/2017 9:05:07 PM", "1230201790507PM"},
                                           StampCase{"2017/12/30 下午 9:05:07", "20171230下午90507"},
                                           StampCase{"::--// ", ""}, StampCase{"2017_12_30", "2017_12_30"}));

struct NameCase {
    const char* name;
    QString prefix;
    const char* clock;
    const char* fileName;
};

class BackupName : public ::testing::TestWithParam<NameCase> {};

TEST_P(BackupName, IsPrefixStampAndSuffixInTheApplicationDirectory) {
    const NameCase& c = GetParam();
    EXPECT_EQ(backupFilePath("/opt/Tessavo/", c.prefix, u8(c.clock)), "/opt/Tessavo/" + u8(c.fileName));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BackupName,
    ::testing::Values(NameCase{"passwordChange", passwordChangeBackupPrefix(), "2017/12/30 9:05:07",
                               "修改密码前备份_bak_2017123090507_.udb"},
                      NameCase{"clearAllBeforeFirstTick", clearAllBackupPrefix(), "", "清空数据库前备份_bak__.udb"},
                      NameCase{"category", categoryDeletionBackupPrefix(u8("网站")), "2017/12/30 9:05:07",
                               "删除[网站]分类前备份_bak_2017123090507_.udb"},
                      NameCase{"categoryWithSlash", categoryDeletionBackupPrefix(u8("银行/信用卡")),
                               "2017/12/30 9:05:07", "删除[银行_信用卡]分类前备份_bak_2017123090507_.udb"},
                      NameCase{"categoryKeepsStampSeparators", categoryDeletionBackupPrefix(u8("a:b c-d")), "1:2",
                               "删除[a:b c-d]分类前备份_bak_12_.udb"},
                      NameCase{"categoryKeepsOddCharacters", categoryDeletionBackupPrefix(u8("?*<>|\\..")), "",
                               "删除[?*<>|\\..]分类前备份_bak__.udb"},
                      NameCase{"categoryWithNul", categoryDeletionBackupPrefix(u8("a") + QChar(u'\0') + u8("b")), "",
                               "删除[a_b]分类前备份_bak__.udb"}),
    [](const auto& info) { return std::string(info.param.name); });

// An application directory holding a database file of some size (more than one copy buffer).
class BackupCopyTest : public ::testing::Test {
protected:
    QString appDir() const { return dir_.path() + u'/'; }
    QString database() const { return appDir() + QStringLiteral("_.udb"); }

    static std::string databaseBytes(char fill) {
        std::string bytes(200 * 1024 + 17, fill);
        bytes[1] = '\0';
        bytes[bytes.size() - 1] = '\xFF';
        return bytes;
    }

    QTemporaryDir dir_;
};

TEST_F(BackupCopyTest, CopiesTheWholeDatabaseFile) {
    ASSERT_TRUE(writeBytes(database(), databaseBytes('a')));
    ASSERT_TRUE(QFile::setPermissions(database(), QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_TRUE(BackupCopy(appDir(), passwordChangeBackupPrefix(), u8("2017/12/30 9:05:07")));
    const QString backup = appDir() + u8("修改密码前备份_bak_2017123090507_.udb");
    EXPECT_EQ(readBytes(backup), databaseBytes('a'));
    EXPECT_EQ(readBytes(database()), databaseBytes('a'));
    EXPECT_EQ(QFile::permissions(backup), QFile::permissions(database())) << "a copy keeps the mode";
    EXPECT_EQ(entriesOf(dir_.path()), QStringList({"_.udb", u8("修改密码前备份_bak_2017123090507_.udb")}));
}

// What already stands under the names of a backup of the same prefix and second.
enum class Entry { File, Directory, DanglingLink };

struct TakenNameCase {
    const char* name;
    std::vector<Entry> taken;  // under the first, second, ... name
    const char* backupName;    // where the new backup goes
};

class BackupNameTaken : public BackupCopyTest, public ::testing::WithParamInterface<TakenNameCase> {};

// Two backups within one second (two imports, a backup after a clock that did not tick) keep
// both: an existing entry under the name is never replaced, the next suffix is taken.
TEST_P(BackupNameTaken, GoesToTheNextFreeNameAndLeavesTheOthers) {
    const TakenNameCase& c = GetParam();
    ASSERT_TRUE(writeBytes(database(), databaseBytes('n')));
    for (std::size_t i = 0; i < c.taken.size(); ++i) {
        const QString name = backupFilePath(appDir(), clearAllBackupPrefix(), "", static_cast<int>(i + 1));
        switch (c.taken[i]) {
            case Entry::File:
                ASSERT_TRUE(writeBytes(name, "earlier backup"));
                break;
            case Entry::Directory:
                ASSERT_TRUE(QDir().mkdir(name));
                break;
            case Entry::DanglingLink:
                ASSERT_TRUE(QFile::link(appDir() + "nowhere", name));
                break;
        }
    }
    const auto backup = tessavo::maintenance::takeBackup(appDir(), clearAllBackupPrefix(), "");
    ASSERT_TRUE(backup.has_value());
    EXPECT_EQ(*backup, appDir() + u8(c.backupName));
    EXPECT_EQ(readBytes(*backup), databaseBytes('n'));
    for (std::size_t i = 0; i < c.taken.size(); ++i) {
        const QString name = backupFilePath(appDir(), clearAllBackupPrefix(), "", static_cast<int>(i + 1));
        const QFileInfo info(name);
        switch (c.taken[i]) {
            case Entry::File:
                EXPECT_EQ(readBytes(name), "earlier backup") << name.toStdString();
                break;
            case Entry::Directory:
                EXPECT_TRUE(info.isDir()) << name.toStdString();
                break;
            case Entry::DanglingLink:
                EXPECT_TRUE(info.isSymLink() && !info.exists()) << name.toStdString();
                break;
        }
    }
    EXPECT_FALSE(QFileInfo::exists(appDir() + "nowhere")) << "nothing was written through the link";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BackupNameTaken,
    ::testing::Values(TakenNameCase{"free", {}, "清空数据库前备份_bak__.udb"},
                      TakenNameCase{"earlierBackup", {Entry::File}, "清空数据库前备份_bak__2_.udb"},
                      TakenNameCase{"twoEarlierBackups", {Entry::File, Entry::File}, "清空数据库前备份_bak__3_.udb"},
                      TakenNameCase{"directory", {Entry::Directory}, "清空数据库前备份_bak__2_.udb"},
                      TakenNameCase{
                          "danglingLink", {Entry::DanglingLink, Entry::File}, "清空数据库前备份_bak__3_.udb"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BackupCopyTest, TwoBackupsOfOneSecondKeepBothContents) {
    ASSERT_TRUE(writeBytes(database(), databaseBytes('a')));
    ASSERT_TRUE(BackupCopy(appDir(), passwordChangeBackupPrefix(), u8("2017/12/30 9:05:07")));
    ASSERT_TRUE(writeBytes(database(), "short"));
    EXPECT_TRUE(BackupCopy(appDir(), passwordChangeBackupPrefix(), u8("2017/12/30 9:05:07")));
    EXPECT_EQ(readBytes(appDir() + u8("修改密码前备份_bak_2017123090507_.udb")), databaseBytes('a'));
    EXPECT_EQ(readBytes(appDir() + u8("修改密码前备份_bak_2017123090507_2_.udb")), "short");
}

TEST_F(BackupCopyTest, CategoryWithSlashStaysInTheApplicationDirectory) {
    ASSERT_TRUE(writeBytes(database(), databaseBytes('b')));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(u8("删除[银行")));
    EXPECT_TRUE(BackupCopy(appDir(), categoryDeletionBackupPrefix(u8("银行/信用卡")), u8("2017/12/30 9:05:07")));
    EXPECT_EQ(readBytes(appDir() + u8("删除[银行_信用卡]分类前备份_bak_2017123090507_.udb")), databaseBytes('b'));
    EXPECT_TRUE(entriesOf(appDir() + u8("删除[银行")).isEmpty()) << "nothing went into a subdirectory";
}

struct FailureCase {
    const char* name;
    bool withDatabase;
    const char* category;
    const char* reason;  // the system's, as the diagnostics give it
};

class BackupCopyFailure : public BackupCopyTest, public ::testing::WithParamInterface<FailureCase> {};

// The user is told nothing (the change goes on); the diagnostics say which backup and why.
TEST_P(BackupCopyFailure, SaysWhyOnlyInTheDiagnosticsAndLeavesNothingBehind) {
    const FailureCase& c = GetParam();
    if (c.withDatabase) {
        ASSERT_TRUE(writeBytes(database(), databaseBytes('c')));
    }
    const QString prefix = categoryDeletionBackupPrefix(u8(c.category));
    const QStringList before = entriesOf(dir_.path());
    const tessavo::test::CapturedMessages messages;
    EXPECT_FALSE(BackupCopy(appDir(), prefix, ""));
    EXPECT_EQ(entriesOf(dir_.path()), before);
    ASSERT_EQ(messages.warnings().size(), 2u) << messages.text();
    EXPECT_TRUE(messages.warnings()[0].startsWith("tessavo.platform: ")) << messages.text();
    EXPECT_TRUE(messages.warnings()[0].endsWith(QStringLiteral(": ") + c.reason)) << messages.text();
    EXPECT_TRUE(messages.warnings()[1].startsWith("tessavo.maintenance: no backup was taken")) << messages.text();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BackupCopyFailure,
    ::testing::Values(FailureCase{"noDatabaseFile", false, "网站", "No such file or directory"},
                      FailureCase{"nameTooLong", true,
                                  "很长的分类名很长的分类名很长的分类名很长的分类名很长的分类名很长的分类名很长的分类名"
                                  "很长的分类名很长的分类名很长的分类名很长的分类名很长的分类名很长的分类名",
                                  "File name too long"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BackupCopyTest, MissingApplicationDirectoryFailsSilently) {
    EXPECT_FALSE(BackupCopy(appDir() + "missing/", clearAllBackupPrefix(), ""));
    EXPECT_TRUE(entriesOf(dir_.path()).isEmpty());
}

}  // namespace
