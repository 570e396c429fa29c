#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include "tests/support/RunProgram.h"

namespace tessavo::test {

// Desktops that refuse root (sway) or trust no root caller (the desktop portal) run in the tests
// as the unprivileged user nobody when the tests run as root; otherwise as the tests' own user.

// Whether the tests run as root, so that the sessions run as nobody.
bool runsAsRoot();
// The command as the session's user runs it.
QStringList asSessionUser(const QStringList& command);
// Runs the command as the session's user, in the environment, to its end (at most kPatience).
ProgramRun runAsSessionUser(const QStringList& command, const QProcessEnvironment& environment);
// Makes the file or folder (and everything below) the session user's; throws
// std::runtime_error when it cannot.
void handOverToSessionUser(const QString& path);
// The variables of an environment file written by `env`.
QProcessEnvironment readEnvironmentFile(const QString& path);

}  // namespace tessavo::test
