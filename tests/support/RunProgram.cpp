#include "tests/support/RunProgram.h"

#include <QProcess>
#include <filesystem>

namespace tessavo::test {

namespace {

constexpr int kTimeoutMs = 60000;

}  // namespace

ProgramRun runProgram(const QString& program, const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForStarted(kTimeoutMs)) return run;
    process.write(input);
    process.closeWriteChannel();
    run.finished = process.waitForFinished(kTimeoutMs) && process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.standardOutput = process.readAllStandardOutput();
    run.standardError = process.readAllStandardError();
    return run;
}

QString builtProgram(const QString& name) {
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    return QString::fromStdString((self.parent_path() / name.toStdString()).string());
}

}  // namespace tessavo::test
