// Compaction of the database file in place: the compactor's connection strings, the compactor
// itself, and the replacement of _.udb, which either completes or leaves the file as it was.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

#include "maintenance/Unit_DB.h"
#include "platform/base/Error.h"
#include "store/ConnectionString.h"
#include "store/SqlCipherFile.h"
#include "tests/support/CapturedMessages.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedPermissionChecks.h"
#include "tests/support/TempAppDir.h"

namespace tessavo::maintenance {
namespace {

using test::entriesOf;
using test::readBytes;
using test::TempAppDir;

const QString kPassword = QString::fromUtf16(store::kDatabasePassword);

// Every row of a table, each as its fields joined, in the order of the table's key.
QStringList rowsOf(store::SqlCipherFile& database, const QString& table) {
    store::SqlStatement select = database.prepare(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table));
    QStringList rows;
    while (select.step()) {
        QStringList fields;
        for (int column = 0; column < select.columnCount(); ++column) fields << select.text(column);
        rows << fields.join(u'|');
    }
    return rows;
}

store::AccountRecord sampleRecord(int index, int notesLength = 8) {
    store::AccountRecord record;
    record.分类 = QStringLiteral("分类%1").arg(index % 3);
    record.网址 = QStringLiteral("http://example.com/%1").arg(index);
    record.标题 = QStringLiteral("标题%1").arg(index);
    record.帐号 = QStringLiteral("user%1").arg(index);
    record.密码 = QStringLiteral("0123456789ABCDEF");
    record.备注 = QString(notesLength, u'A');
    record.统计 = index;
    return record;
}

// ---- connection strings -------------------------------------------------------------------

TEST(CompactorConnectionString, FollowsTheTemplate) {
    EXPECT_EQ(compactorConnectionString(QStringLiteral("/tmp/~ACP1.tmp"), kPassword),
              QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/tmp/~ACP1.tmp;"
                             "Jet OLEDB:Database Password=Pw4r-Lq9t-Zx;"));
}

class CompactorConnectionStringReadsBack : public testing::TestWithParam<const char16_t*> {};

TEST_P(CompactorConnectionStringReadsBack, PathAndPasswordWhole) {
    const QString path = QString::fromUtf16(GetParam());
    const store::ConnectionSettings settings = store::parseConnectionString(compactorConnectionString(path, kPassword));
    EXPECT_EQ(settings.dataSource, path);
    EXPECT_EQ(settings.databasePassword, kPassword);
}

INSTANTIATE_TEST_SUITE_P(Paths, CompactorConnectionStringReadsBack,
                         testing::Values(u"/home/用户/Tessavo/_.udb", u"/tmp/a;b/_.udb", u"\"quoted\"/_.udb",
                                         u"/tmp/it's/_.udb", u"/tmp/a=b/_.udb"));

// ---- the compactor ------------------------------------------------------------------------

class Compactor : public testing::Test {
protected:
    QString destination() const { return work_.path() + QStringLiteral("/compacted.tmp"); }
    QString source(const QString& password = kPassword) const {
        return compactorConnectionString(app_.databasePath(), password);
    }

    TempAppDir app_;
    QTemporaryDir work_;
};

TEST_F(Compactor, WritesTheSameRowsIntoANewFileUnderTheSamePassword) {
    app_.addRecords({sampleRecord(1), sampleRecord(2)});
    CompactDatabase(source(), compactorConnectionString(destination(), kPassword));
    store::SqlCipherFile original = app_.openDatabase();
    store::SqlCipherFile compacted(destination(), kPassword);
    EXPECT_EQ(rowsOf(compacted, QStringLiteral("data")), rowsOf(original, QStringLiteral("data")));
    EXPECT_EQ(rowsOf(compacted, QStringLiteral("Pass")), rowsOf(original, QStringLiteral("Pass")));
}

TEST_F(Compactor, RefusesADestinationThatExists) {
    ASSERT_TRUE(test::writeBytes(destination(), "keep"));
    EXPECT_THROW(CompactDatabase(source(), compactorConnectionString(destination(), kPassword)), Error);
    EXPECT_EQ(readBytes(destination()), "keep");
}

TEST_F(Compactor, RefusesALinkAtTheDestinationAndWritesNothingThroughIt) {
    const QString target = work_.path() + QStringLiteral("/elsewhere.udb");
    ASSERT_TRUE(QFile::link(target, destination()));
    EXPECT_THROW(CompactDatabase(source(), compactorConnectionString(destination(), kPassword)), Error);
    EXPECT_TRUE(QFileInfo(destination()).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(target));
}

TEST_F(Compactor, FailsWithAWrongPasswordOrAMissingSource) {
    EXPECT_THROW(CompactDatabase(source(QStringLiteral("wrong")), compactorConnectionString(destination(), kPassword)),
                 Error);
    const QString missing = compactorConnectionString(work_.path() + QStringLiteral("/none.udb"), kPassword);
    EXPECT_THROW(CompactDatabase(missing, compactorConnectionString(destination(), kPassword)), Error);
}

// ---- compaction in place ------------------------------------------------------------------

class CompactInPlace : public testing::Test {
protected:
    CompactInPlace() : tmpdir_("TMPDIR", temp_.path().toUtf8()) {}

    bool compact(const QString& password = kPassword) { return CompactJetDatabase(app_.databasePath(), password); }
    // The compaction leaves nothing behind: neither in the temporary directory nor beside _.udb.
    void expectNoTemporaryFiles() const {
        EXPECT_TRUE(entriesOf(temp_.path()).isEmpty()) << entriesOf(temp_.path()).join(u' ').toStdString();
        EXPECT_EQ(entriesOf(app_.path()), QStringList{QStringLiteral("_.udb")});
    }

    TempAppDir app_;
    QTemporaryDir temp_;
    test::ScopedEnvironment tmpdir_;
};

TEST_F(CompactInPlace, KeepsRecordsManagementPasswordAndDatabasePassword) {
    app_.addRecords({sampleRecord(1), sampleRecord(2), sampleRecord(3)});
    QStringList records;
    QStringList pass;
    {
        store::SqlCipherFile before = app_.openDatabase();
        records = rowsOf(before, QStringLiteral("data"));
        pass = rowsOf(before, QStringLiteral("Pass"));
    }
    ASSERT_TRUE(compact());
    store::SqlCipherFile after = app_.openDatabase();  // opens with the same database password
    EXPECT_EQ(rowsOf(after, QStringLiteral("data")), records);
    EXPECT_EQ(rowsOf(after, QStringLiteral("Pass")), pass);
    expectNoTemporaryFiles();
}

TEST_F(CompactInPlace, AFileWithManyDeletedRecordsShrinks) {
    std::vector<store::AccountRecord> many;
    for (int index = 0; index < 2000; ++index) many.push_back(sampleRecord(index, 400));
    app_.addRecords(many);
    app_.openDatabase().execute(QStringLiteral("DELETE FROM data WHERE 编号 > 10;"));
    const qint64 before = QFileInfo(app_.databasePath()).size();
    ASSERT_TRUE(compact());
    const qint64 after = QFileInfo(app_.databasePath()).size();
    EXPECT_LT(after * 10, before) << before << " -> " << after;
    store::SqlCipherFile database = app_.openDatabase();
    EXPECT_EQ(rowsOf(database, QStringLiteral("data")).size(), 10);
}

TEST_F(CompactInPlace, KeepsTheFilesMode) {
    // Readable by its owner only, unlike a new file of the engine.
    ASSERT_TRUE(QFile::setPermissions(app_.databasePath(), QFile::ReadOwner | QFile::WriteOwner));
    const QFile::Permissions before = QFile::permissions(app_.databasePath());
    ASSERT_TRUE(compact());
    EXPECT_EQ(QFile::permissions(app_.databasePath()), before);
}

TEST_F(CompactInPlace, NeedsNoTemporaryDirectory) {
    app_.addRecords({sampleRecord(1)});
    const test::ScopedReadOnlyDirectory readOnly(temp_.path());
    EXPECT_TRUE(compact());
    expectNoTemporaryFiles();
}

// The copy of every record stands beside _.udb, readable by its owner only, whatever the
// umask; nothing goes to the shared temporary directory.
TEST_F(CompactInPlace, BuildsItsCopyBesideTheFileForItsOwnerOnly) {
    app_.addRecords({sampleRecord(1), sampleRecord(2)});
    const mode_t umaskBefore = ::umask(022);
    QStringList copies;
    QStringList inTemp;
    mode_t copyMode = 0;
    rewriteDatabase(app_.databasePath(), kPassword, kPassword, [&](store::SqlCipherFile&) {
        copies = entriesOf(app_.path()).filter(QRegularExpression(QStringLiteral("^~ACP[0-9a-z]+\\.tmp$")));
        inTemp = entriesOf(temp_.path());
        struct stat status {};
        if (copies.size() == 1 && ::stat(QFile::encodeName(app_.path() + copies[0]).constData(), &status) == 0)
            copyMode = status.st_mode & 07777;
    });
    ::umask(umaskBefore);
    ASSERT_EQ(copies.size(), 1) << entriesOf(app_.path()).join(u' ').toStdString();
    EXPECT_EQ(copyMode, mode_t{0600});
    EXPECT_TRUE(inTemp.isEmpty()) << inTemp.join(u' ').toStdString();
    expectNoTemporaryFiles();
}

// What a killed rewrite left is removed at the next start; nothing else is.
TEST_F(CompactInPlace, LeftoversOfAKilledRewriteAreRemovedAndNothingElse) {
    const QStringList leftovers{QStringLiteral("~ACP0a1b2c3d4e5f6.tmp"),
                                QStringLiteral("~ACP0a1b2c3d4e5f6.tmp-journal"), QStringLiteral("~ACPzz9.tmp")};
    const QStringList others{QStringLiteral("_.udb"),        QStringLiteral("Config.ini"),
                             QStringLiteral("~ACP.tmp"),     QStringLiteral("~ACPnotes.txt"),
                             QStringLiteral("x~ACP0a1.tmp"), QStringLiteral("导入前备份_bak_20261211101010_.udb")};
    for (const QString& name : leftovers + others) {
        if (name != QStringLiteral("_.udb")) {
            ASSERT_TRUE(test::writeBytes(app_.path() + name, "x"));
        }
    }
    ASSERT_TRUE(QDir(app_.path()).mkdir(QStringLiteral("~ACP0dir.tmp")));
    removeRewriteLeftovers(app_.databasePath());
    QStringList expected = others;
    expected << QStringLiteral("~ACP0dir.tmp");
    expected.sort();
    EXPECT_EQ(entriesOf(app_.path()), expected);
}

// Each failure leaves _.udb byte for byte as it was, and no temporary file anywhere.
struct FailureCase {
    const char* name;
    std::function<void(const TempAppDir&)> damage;  // prepares the failure; may be empty
    const char* password;
    enum class ReadOnly { Nothing, ApplicationDirectory } readOnly;
};

class CompactInPlaceFails : public CompactInPlace, public testing::WithParamInterface<FailureCase> {
protected:
    QString readOnlyDirectory() const {
        switch (GetParam().readOnly) {
            case FailureCase::ReadOnly::ApplicationDirectory:
                return app_.path();
            case FailureCase::ReadOnly::Nothing:
                break;
        }
        return {};
    }
};

TEST_P(CompactInPlaceFails, LeavesTheFileAsItWas) {
    const FailureCase& c = GetParam();
    app_.addRecords({sampleRecord(1), sampleRecord(2)});
    if (c.damage) c.damage(app_);
    const std::string before = readBytes(app_.databasePath());
    ASSERT_FALSE(before.empty());
    {
        std::optional<test::ScopedReadOnlyDirectory> readOnly;
        if (!readOnlyDirectory().isEmpty()) readOnly.emplace(readOnlyDirectory());
        const test::CapturedMessages messages;
        EXPECT_FALSE(compact(QString::fromUtf8(c.password)));
        // The user sees only "数据库压缩失败.": the diagnostics say why, without the key.
        EXPECT_FALSE(messages.warnings().isEmpty());
        EXPECT_EQ(messages.text().find(c.password), std::string::npos) << messages.text();
    }
    EXPECT_TRUE(readBytes(app_.databasePath()) == before) << "_.udb changed";
    expectNoTemporaryFiles();
}

// Overwrites the file's pages after the first with garbage: its header still reads.
void damagePages(const TempAppDir& app) {
    std::string bytes = readBytes(app.databasePath());
    for (std::size_t at = 1024; at < bytes.size(); ++at) bytes[at] = static_cast<char>(at * 7);
    ASSERT_TRUE(test::writeBytes(app.databasePath(), bytes));
}

void replaceWithText(const TempAppDir& app) { ASSERT_TRUE(test::writeBytes(app.databasePath(), "no database")); }

INSTANTIATE_TEST_SUITE_P(
    Cases, CompactInPlaceFails,
    testing::Values(
        FailureCase{"unwritableApplicationDirectory", {}, "Pw4r-Lq9t-Zx", FailureCase::ReadOnly::ApplicationDirectory},
        FailureCase{"damagedPages", damagePages, "Pw4r-Lq9t-Zx", FailureCase::ReadOnly::Nothing},
        FailureCase{"notADatabase", replaceWithText, "Pw4r-Lq9t-Zx", FailureCase::ReadOnly::Nothing},
        FailureCase{"wrongPassword", {}, "wrong", FailureCase::ReadOnly::Nothing}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tessavo::maintenance
