// A rewrite of the database file (the compaction, turning protection on) while another program
// writes to it: the import of `tessavo-db` and a writer of its own. Whatever falls where, every
// change a writer reports as done is in the file afterwards, and a change that is not there
// was reported as failed. Each case puts the writer at one point of the rewrite, reached by
// the rewrite's own steps (its finish runs between the copy and the rename), never by a clock.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <functional>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "maintenance/DatabaseProtection.h"
#include "maintenance/Unit_DB.h"
#include "maintenance/transfer/AccountDatabase.h"
#include "platform/base/Error.h"
#include "store/ConnectionString.h"
#include "store/FileProtection.h"
#include "store/SqlCipherFile.h"
#include "tests/support/FileBytes.h"
#include "tests/support/NumberedRecords.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempAppDir.h"
#include "tests/support/TransferTool.h"

namespace tessavo::maintenance {
namespace {

const QString kFixedPassword = QString::fromUtf16(store::kDatabasePassword);
const QString kManagementPassword = QStringLiteral("vorel");
constexpr int kNewRows = 5;

QString newTitle(int n) { return QStringLiteral("imported-%1").arg(n); }

// The rewrite under test; gives back the key the file has afterwards.
struct RewriteKind {
    const char* name;
    std::function<QString(const QString& path, const RewriteFinish& finish)> run;
};

const RewriteKind kCompaction{"compaction", [](const QString& path, const RewriteFinish& finish) {
                                  rewriteDatabase(path, kFixedPassword, kFixedPassword, finish);
                                  return kFixedPassword;
                              }};
const RewriteKind kProtectionOn{"protectionOn", [](const QString& path, const RewriteFinish& finish) {
                                    return protectDatabase(path, kFixedPassword, kManagementPassword, finish);
                                }};

void PrintTo(const RewriteKind& kind, std::ostream* out) { *out << kind.name; }

// What a writer said of its change.
enum class Said { Done, Failed };

class RewriteBesideAWriter : public testing::Test {
protected:
    void SetUp() override {
        cipher::setAccountKey(cipher::kAccountKeyText);
        app_.addRecords(test::numberedRecords(300, QStringLiteral("seeded-")));
        before_ = titlesUnder(kFixedPassword);
    }

    QString path() const { return app_.databasePath(); }

    QStringList titlesUnder(const QString& key) const {
        store::SqlCipherFile file(path(), key);
        store::SqlStatement select = file.prepare(QStringLiteral("SELECT 标题 FROM data ORDER BY 编号"));
        QStringList titles;
        while (select.step()) titles << select.text(0);
        return titles;
    }

    // A file in our own export format with the new rows.
    QString importFile() const {
        QString text = QStringLiteral("分类,标题,网址,帐号,密码,备注,统计\n");
        for (int n = 1; n <= kNewRows; ++n)
            text += QStringLiteral("导入,%1,,someone,pw%2,,0\n").arg(newTitle(n)).arg(n);
        const QString file = app_.path() + QStringLiteral("new.csv");
        EXPECT_TRUE(test::writeBytes(file, text.toStdString()));
        return file;
    }

    // Every row the writer reported is there, or it reported a failure and the file holds the
    // rows of before; nothing else either way.
    void expectNothingLost(Said said, const QString& keyAfter) const {
        QStringList expected = before_;
        if (said == Said::Done) {
            for (int n = 1; n <= kNewRows; ++n) expected << newTitle(n);
        }
        EXPECT_EQ(titlesUnder(keyAfter), expected) << (said == Said::Done ? "reported done" : "reported failed");
    }

    test::TempAppDir app_;
    QStringList before_;
};

// ---- the import of tessavo-db, run to its end between the copy and the rename

class ImportDuringTheCopy : public RewriteBesideAWriter, public testing::WithParamInterface<RewriteKind> {};

TEST_P(ImportDuringTheCopy, IsRefusedOrKept) {
    const QString file = importFile();
    test::ProgramRun import;
    const QString keyAfter = GetParam().run(path(), [&](store::SqlCipherFile&) {
        import = test::tessavoDb({QStringLiteral("import"), app_.path(), file});
    });
    ASSERT_TRUE(import.finished);
    const Said said = import.exitCode == 0 ? Said::Done : Said::Failed;
    if (said == Said::Failed) {
        EXPECT_FALSE(import.standardError.isEmpty()) << "a failure says why";
    }
    expectNothingLost(said, keyAfter);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ImportDuringTheCopy, testing::Values(kCompaction, kProtectionOn),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- a writer of the file at the other points

// Where the writer's change falls.
struct WriterCase {
    const char* name;
    RewriteKind kind;
    // Runs the rewrite (through `rewrite`) and the writer's change around it; says what the
    // writer reported.
    std::function<Said(const test::TempAppDir& app, const std::function<QString()>& rewrite, QString& keyAfter)> run;
};

// Adds the new rows through the import's own writer.
void addNewRows(transfer::AccountDatabase& database) {
    std::vector<transfer::TransferRecord> records(kNewRows);
    for (int n = 1; n <= kNewRows; ++n) {
        records[n - 1].分类 = QStringLiteral("导入");
        records[n - 1].标题 = newTitle(n);
    }
    database.addAll(records);
}

// The writer's transaction is open (its rows written, not committed) when the rewrite starts:
// the rewrite must not copy the file without them and then put the copy over the committed rows.
Said inTransactionWhenTheRewriteStarts(const test::TempAppDir& app, const std::function<QString()>& rewrite,
                                       QString& keyAfter) {
    store::SqlCipherFile writer(app.databasePath(), kFixedPassword);
    writer.execute(QStringLiteral("BEGIN IMMEDIATE;"));
    for (int n = 1; n <= kNewRows; ++n)
        writer.execute(QStringLiteral("INSERT INTO data (分类, 标题) VALUES ('导入', '%1');").arg(newTitle(n)));
    keyAfter = kFixedPassword;
    try {
        keyAfter = rewrite();
    } catch (const Error&) {  // the rewrite may wait for the writer and give up
    }
    try {
        writer.execute(QStringLiteral("COMMIT;"));
        return Said::Done;
    } catch (const Error&) {
        return Said::Failed;
    }
}

// The writer opened the file before the rewrite and writes after the rename.
Said openedBeforeWritesAfter(const test::TempAppDir& app, const std::function<QString()>& rewrite, QString& keyAfter) {
    transfer::AccountDatabase database(app.path(), cipher::kAccountKeyText);
    keyAfter = rewrite();
    try {
        addNewRows(database);
        return Said::Done;
    } catch (const store::FileReplacedError&) {
        return Said::Failed;
    }
}

void PrintTo(const WriterCase& c, std::ostream* out) { *out << c.name; }

class WriterBesideARewrite : public RewriteBesideAWriter, public testing::WithParamInterface<WriterCase> {};

TEST_P(WriterBesideARewrite, LosesNoReportedChange) {
    const WriterCase& c = GetParam();
    QString keyAfter;
    const Said said = c.run(
        app_, [&] { return c.kind.run(path(), {}); }, keyAfter);
    expectNothingLost(said, keyAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Points, WriterBesideARewrite,
    testing::Values(WriterCase{"compactionBesideAnOpenTransaction", kCompaction, inTransactionWhenTheRewriteStarts},
                    WriterCase{"protectionBesideAnOpenTransaction", kProtectionOn, inTransactionWhenTheRewriteStarts},
                    WriterCase{"compactionUnderAnOpenImport", kCompaction, openedBeforeWritesAfter},
                    WriterCase{"protectionUnderAnOpenImport", kProtectionOn, openedBeforeWritesAfter}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tessavo::maintenance
