#include "tests/support/SessionUser.h"

#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <stdexcept>

#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

const QString kSessionUser = QStringLiteral("65534");

}  // namespace

bool runsAsRoot() { return geteuid() == 0; }

QStringList asSessionUser(const QStringList& command) {
    if (!runsAsRoot()) return command;
    return QStringList{QStringLiteral("setpriv"), "--reuid=" + kSessionUser, "--regid=" + kSessionUser,
                       QStringLiteral("--clear-groups"), QStringLiteral("--")} +
           command;
}

ProgramRun runAsSessionUser(const QStringList& command, const QProcessEnvironment& environment) {
    QProcess process;
    const QStringList full = asSessionUser(command);
    process.setProcessEnvironment(environment);
    process.start(full.front(), full.mid(1));
    ProgramRun result;
    if (!process.waitForStarted()) return result;
    process.closeWriteChannel();
    result.finished =
        process.waitForFinished(static_cast<int>(kPatience.count())) && process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.standardOutput = process.readAllStandardOutput();
    result.standardError = process.readAllStandardError();
    return result;
}

void handOverToSessionUser(const QString& path) {
    if (!runsAsRoot()) return;
    const ProgramRun chown = runProgram(QStringLiteral("chown"), {"-R", kSessionUser + ':' + kSessionUser, path});
    if (chown.exitCode != 0) throw std::runtime_error("cannot hand over " + path.toStdString());
}

QProcessEnvironment readEnvironmentFile(const QString& path) {
    QFile file(path);
    QProcessEnvironment environment;
    if (!file.open(QIODevice::ReadOnly)) return environment;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            environment.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
    }
    return environment;
}

}  // namespace tessavo::test
