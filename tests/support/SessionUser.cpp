#include "tests/support/SessionUser.h"

#include <unistd.h>

#include <QFile>
#include <stdexcept>

#include "tests/support/RunProgram.h"

namespace tessavo::test {
namespace {

const QString kSessionUser = QStringLiteral("65534");

bool runningAsRoot() { return geteuid() == 0; }

}  // namespace

QStringList asSessionUser(const QStringList& command) {
    if (!runningAsRoot()) return command;
    return QStringList{QStringLiteral("setpriv"), "--reuid=" + kSessionUser, "--regid=" + kSessionUser,
                       QStringLiteral("--clear-groups"), QStringLiteral("--")} +
           command;
}

void handOverToSessionUser(const QString& path) {
    if (!runningAsRoot()) return;
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
