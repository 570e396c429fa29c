// The program killed with SIGKILL in the middle of its work: in a burst of adds and modifies,
// and during compactions. Afterwards the database passes the engine's integrity check, and
// every change the program had reported as done (its success box) is there. The program runs
// in tessavo_fault_worker, which writes a line for each reported change.
#include <signal.h>
#include <sys/types.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <chrono>
#include <map>
#include <set>
#include <thread>
#include <vector>

#include "maintenance/Unit_DB.h"
#include "store/AccountRecord.h"
#include "store/Connection.h"
#include "store/ConnectionString.h"
#include "store/FileProtection.h"
#include "store/Query.h"
#include "store/SqlCipherFile.h"
#include "store/Statements.h"
#include "tests/support/NumberedRecords.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempAppDir.h"

using namespace tessavo;

namespace {

constexpr int kPatienceMs = 60000;

// What the worker said it had done, by the words of its lines.
struct Reports {
    std::set<int> added;
    std::set<int> modified;
    int compactionsStarted = 0;
    int compactionsDone = 0;
    int rekeysStarted = 0;
    int rekeysDone = 0;
    std::vector<QString> other;

    void read(const QString& line) {
        const QStringList words = line.split(u' ');
        const int number = words.value(1).toInt();
        if (words.first() == QStringLiteral("added")) {
            added.insert(number);
        } else if (words.first() == QStringLiteral("modified")) {
            modified.insert(number);
        } else if (words.first() == QStringLiteral("compacting")) {
            ++compactionsStarted;
        } else if (words.first() == QStringLiteral("compacted")) {
            ++compactionsDone;
        } else if (words.first() == QStringLiteral("protecting")) {
            ++rekeysStarted;
        } else if (words.first() == QStringLiteral("protected") || words.first() == QStringLiteral("unprotected")) {
            ++rekeysDone;
        } else {
            other.push_back(line);
        }
    }
    int changes() const { return static_cast<int>(added.size() + modified.size()); }
};

// The worker over an application directory, killed when the test says so.
class Worker {
public:
    Worker(const QString& mode, const QString& appDir, const QString& homeDir) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // What a killed rewrite leaves in the temporary directory goes with the test's home.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), homeDir);
        process_.setProcessEnvironment(environment);
        process_.start(test::builtProgram(QStringLiteral("tessavo_fault_worker")), {mode, appDir, homeDir});
    }
    ~Worker() {
        if (process_.state() != QProcess::NotRunning) killNow();
    }

    bool started() { return process_.waitForStarted(kPatienceMs); }

    // Reads lines until `enough` holds for the reports; false when the worker ended first.
    template <typename Enough>
    bool readUntil(Enough enough) {
        while (!enough(reports)) {
            if (process_.canReadLine()) {
                readLine();
            } else if (!process_.waitForReadyRead(kPatienceMs)) {
                return false;
            }
        }
        return true;
    }

    // SIGKILL, then the lines the worker had written before it died.
    void killNow() {
        ::kill(static_cast<pid_t>(process_.processId()), SIGKILL);
        process_.waitForFinished(kPatienceMs);
        while (process_.canReadLine()) readLine();
    }

    bool diedOfTheKill() const {
        return process_.exitStatus() == QProcess::CrashExit && process_.state() == QProcess::NotRunning;
    }

    Reports reports;

private:
    void readLine() { reports.read(QString::fromUtf8(process_.readLine()).trimmed()); }

    QProcess process_;
};

class KilledProgram : public testing::Test {
protected:
    // Records 1 to `count`, titled "seeded-<n>", for the modifies and to give the compaction
    // some work.
    void seed(int count) {
        app_.addRecords(test::numberedRecords(count, QStringLiteral("seeded-")));
        seeded_ = count;
    }

    // Starts the worker, kills it `delay` after `enough` holds for its reports, and gives back
    // every report it wrote before it died.
    template <typename Enough>
    Reports killWorker(const QString& mode, Enough enough, std::chrono::microseconds delay) {
        Worker worker(mode, app_.path(), home_.path());
        EXPECT_TRUE(worker.started());
        EXPECT_TRUE(worker.readUntil(enough)) << "the worker ended early";
        std::this_thread::sleep_for(delay);
        worker.killNow();
        EXPECT_TRUE(worker.diedOfTheKill());
        EXPECT_TRUE(worker.reports.other.empty()) << worker.reports.other.front().toStdString();
        return worker.reports;
    }

    // The file as the next start of the program finds it: the engine's integrity check, then
    // every reported change.
    void expectEveryReportedChange(const Reports& reports) {
        store::SqlCipherFile file = app_.openDatabase();
        store::SqlStatement check = file.prepare(QStringLiteral("PRAGMA integrity_check"));
        ASSERT_TRUE(check.step());
        EXPECT_EQ(check.text(0), QStringLiteral("ok"));

        std::map<QString, int> titles;
        store::SqlStatement rows = file.prepare(QStringLiteral("select 编号, 标题 from data"));
        std::map<int, QString> titleOf;
        while (rows.step()) {
            ++titles[rows.text(1)];
            titleOf[static_cast<int>(rows.int64(0))] = rows.text(1);
        }
        for (const int n : reports.added)
            EXPECT_EQ(titles[QStringLiteral("added-%1").arg(n)], 1) << "reported add " << n;
        for (const int n : reports.modified)
            EXPECT_EQ(titleOf[n], QStringLiteral("modified-%1").arg(n)) << "reported modify " << n;
        // At most the one change under way when the kill came may be there unreported.
        const int rowsNow = static_cast<int>(titleOf.size());
        const int reportedRows = seeded_ + static_cast<int>(reports.added.size());
        EXPECT_TRUE(rowsNow == reportedRows || rowsNow == reportedRows + 1) << rowsNow << " rows";

        // And the program's own connection reads it: the login gate's statement.
        store::Connection connection(app_.connectionString());
        store::Query pass(connection);
        pass.addSql(store::sql::readManagementPassword());
        pass.open();
        EXPECT_EQ(pass.recordCount(), 1);
    }

    // The file opens under the fixed database password, or when it carries the mark under the
    // key of the management password: never neither. Every record is there.
    void expectEveryRecordUnderTheOldOrTheNewKey() {
        const QString path = app_.databasePath();
        const QString key = store::isProtectedFile(path) ? store::protectedFileKey(QStringLiteral("vorel"), path)
                                                         : QString::fromUtf16(store::kDatabasePassword);
        store::SqlCipherFile file(path, key);
        store::SqlStatement check = file.prepare(QStringLiteral("PRAGMA integrity_check"));
        ASSERT_TRUE(check.step());
        EXPECT_EQ(check.text(0), QStringLiteral("ok"));
        store::SqlStatement rows = file.prepare(QStringLiteral("select 标题 from data order by 编号"));
        int n = 0;
        while (rows.step()) EXPECT_EQ(rows.text(0), QStringLiteral("seeded-%1").arg(++n));
        EXPECT_EQ(n, seeded_);
    }

    // A killed rewrite leaves nothing in the shared temporary directory (the worker's is the
    // test's home), and what it left beside _.udb is gone after the next start's clean-up.
    void expectNoCopyLeftAfterTheNextStart() {
        EXPECT_TRUE(QDir(home_.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("ACP")).isEmpty());
        maintenance::removeRewriteLeftovers(app_.databasePath());
        const QStringList left = QDir(app_.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        EXPECT_TRUE(left.contains(QStringLiteral("_.udb")));
        EXPECT_TRUE(left.filter(QStringLiteral("~ACP")).isEmpty()) << left.join(u' ').toStdString();
    }

private:
    test::TempAppDir app_;
    QTemporaryDir home_;
    int seeded_ = 0;
};

// ---- A burst of adds and modifies

struct BurstCase {
    const char* name;
    int changesBeforeKill;  // reported changes to wait for
    int delayMicroseconds;  // then this long, to land anywhere within the next change
};

void PrintTo(const BurstCase& c, std::ostream* out) { *out << c.name; }

class KilledInABurst : public KilledProgram, public testing::WithParamInterface<BurstCase> {};

TEST_P(KilledInABurst, KeepsEveryReportedAddAndModify) {
    const BurstCase& c = GetParam();
    seed(300);
    const Reports reports = killWorker(
        QStringLiteral("edits"), [&](const Reports& r) { return r.changes() >= c.changesBeforeKill; },
        std::chrono::microseconds(c.delayMicroseconds));
    expectEveryReportedChange(reports);
}

INSTANTIATE_TEST_SUITE_P(Table, KilledInABurst,
                         testing::Values(BurstCase{"rightAfterTheFirstChange", 1, 0},
                                         BurstCase{"withinTheFourthAdd", 6, 1500},
                                         BurstCase{"withinALaterModify", 13, 4000},
                                         BurstCase{"deepInTheBurst", 30, 9000}),
                         [](const testing::TestParamInfo<BurstCase>& info) { return std::string(info.param.name); });

// ---- Compactions

struct CompactionCase {
    const char* name;
    int compactionBeforeKill;  // the kill comes after this compaction has started...
    int delayMilliseconds;     // ...and this long
};

void PrintTo(const CompactionCase& c, std::ostream* out) { *out << c.name; }

class KilledInACompaction : public KilledProgram, public testing::WithParamInterface<CompactionCase> {};

TEST_P(KilledInACompaction, LeavesASoundDatabaseWithEveryReportedAdd) {
    const CompactionCase& c = GetParam();
    seed(3000);
    const Reports reports = killWorker(
        QStringLiteral("compactions"), [&](const Reports& r) { return r.compactionsStarted >= c.compactionBeforeKill; },
        std::chrono::milliseconds(c.delayMilliseconds));
    expectEveryReportedChange(reports);
    expectNoCopyLeftAfterTheNextStart();
}

INSTANTIATE_TEST_SUITE_P(Table, KilledInACompaction,
                         testing::Values(CompactionCase{"atItsStart", 1, 0}, CompactionCase{"earlyInIt", 1, 40},
                                         CompactionCase{"inTheMiddle", 2, 150}, CompactionCase{"lateInIt", 2, 300},
                                         CompactionCase{"nearItsEnd", 3, 450}),
                         [](const testing::TestParamInfo<CompactionCase>& info) {
                             return std::string(info.param.name);
                         });

// ---- Turning the protection on and off

class KilledInARekey : public KilledProgram, public testing::WithParamInterface<CompactionCase> {};

TEST_P(KilledInARekey, LeavesTheFileUnderTheOldOrTheNewKeyWithEveryRecord) {
    const CompactionCase& c = GetParam();
    seed(2000);
    killWorker(
        QStringLiteral("protections"), [&](const Reports& r) { return r.rekeysStarted >= c.compactionBeforeKill; },
        std::chrono::milliseconds(c.delayMilliseconds));
    expectEveryRecordUnderTheOldOrTheNewKey();
    expectNoCopyLeftAfterTheNextStart();
}

// The key derivation takes about half a second of each rewrite, the export and the rename the rest.
INSTANTIATE_TEST_SUITE_P(
    Table, KilledInARekey,
    testing::Values(CompactionCase{"atItsStart", 1, 0}, CompactionCase{"inTheKeyDerivation", 1, 200},
                    CompactionCase{"inTheExport", 1, 600}, CompactionCase{"aroundTheRename", 2, 700},
                    CompactionCase{"inALaterRound", 3, 900}),
    [](const testing::TestParamInfo<CompactionCase>& info) { return std::string(info.param.name); });

}  // namespace
