// `tessavo-db export -o FILE` killed in the middle of writing the file: the kernel ends it with
// SIGXFSZ the moment a write crosses the file size limit the test gives it, so the kill falls
// at a chosen byte of the file, whatever the machine's speed. Afterwards the folder holds what
// it held before: no part of the export under any name, hidden or not.
#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/support/FileBytes.h"
#include "tests/support/NumberedRecords.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempAppDir.h"

using namespace tessavo;

namespace {

constexpr int kPatienceMs = 120000;

struct KillCase {
    const char* name;
    rlim_t fileSizeLimit;  // the write that crosses it ends the tool
    bool replacing;        // an older export stands under the name and --force is given
};

void PrintTo(const KillCase& c, std::ostream* out) { *out << c.name; }

class KilledExport : public testing::TestWithParam<KillCase> {
protected:
    // Enough records for an export of some megabytes.
    void SetUp() override { app_.addRecords(test::numberedRecords(40000, QStringLiteral("record-"))); }

    test::TempAppDir app_;
    QTemporaryDir out_;
};

TEST_P(KilledExport, LeavesNothingBehind) {
    const KillCase& c = GetParam();
    const QString file = out_.path() + QStringLiteral("/all.csv");
    if (c.replacing) {
        ASSERT_TRUE(test::writeBytes(file, "the older export\n"));
    }
    const QStringList before = test::entriesOf(out_.path());

    // Its output goes to pipes: a write to a file past the limit would end it elsewhere.
    QProcess tool;
    const rlim_t limit = c.fileSizeLimit;
    tool.setChildProcessModifier([limit] {
        const rlimit fileSize{limit, limit};
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::signal(SIGXFSZ, SIG_DFL);
    });
    QStringList arguments{QStringLiteral("export"), app_.path(), QStringLiteral("-o"), file};
    if (c.replacing) arguments << QStringLiteral("--force");
    tool.start(test::builtProgram(QStringLiteral("tessavo-db")), arguments);
    ASSERT_TRUE(tool.waitForFinished(kPatienceMs));
    ASSERT_EQ(tool.exitStatus(), QProcess::CrashExit) << "the export was not killed; it ended with " << tool.exitCode();
    EXPECT_EQ(tool.exitCode(), SIGXFSZ);

    EXPECT_EQ(test::entriesOf(out_.path()), before);
    if (c.replacing) {
        EXPECT_EQ(test::readBytes(file), "the older export\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, KilledExport,
                         testing::Values(KillCase{"atTheFirstByte", 0, false}, KillCase{"afterOneBlock", 4096, false},
                                         KillCase{"deepInTheFile", 1024 * 1024, false},
                                         KillCase{"replacingAnOlderExport", 512 * 1024, true}),
                         [](const testing::TestParamInfo<KillCase>& info) { return std::string(info.param.name); });

}  // namespace
