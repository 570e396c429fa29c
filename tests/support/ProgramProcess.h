#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/WaitUntil.h"

namespace tessavo::test {

// A user's world for the built program: an application directory holding a copy of `tessavo`
// (and, unless told otherwise, the _.udb that `tessavo-db init` makes), and a home directory of
// its own with a desktop folder, a runtime directory (the single-instance lock) and a
// configuration directory. Everything is removed with the object.
class ProgramHome {
public:
    enum class Database { Initial, Missing };

    // binDir: where the build put `tessavo` and `tessavo-db`. appFolder: the application
    // directory's name. Throws std::runtime_error when the copy or the database cannot be made.
    ProgramHome(const QString& binDir, Database database, const QString& appFolder = QStringLiteral("app"));

    // With a trailing '/'.
    QString appDir() const { return appDir_; }
    QString executable() const { return appDir_ + QStringLiteral("tessavo"); }
    QString databasePath() const { return appDir_ + QStringLiteral("_.udb"); }
    QString homeDir() const { return homeDir_; }
    // Where the program should put its desktop entry.
    QString desktopDir() const { return desktopDir_; }
    // Names a folder below the home directory as the desktop in the XDG user directories.
    void useDesktopFolder(const QString& relativeToHome);

    // Runs statements through the sqlcipher shell on the database, opened with its password.
    void runSql(const QString& statements) const;

    // The boxes the program has shown so far, one "title<TAB>text" each, oldest first.
    QStringList shownBoxes() const;

    // The environment the program starts with on the given display.
    QProcessEnvironment environment(const std::string& display) const;
    // A new file for the output of one process.
    QString newOutputPath() const;

private:
    QTemporaryDir root_;
    QString appDir_;
    QString homeDir_;
    QString desktopDir_;
    mutable int outputs_ = 0;
};

// How one start differs from a plain one: arguments on its command line, and environment
// variables set (or, with std::nullopt, removed).
struct StartOptions {
    QStringList arguments;
    std::vector<std::pair<QString, std::optional<QString>>> environment;
};

// One run of the program, started with QProcess as a user would start it; killed with the
// object if it still runs.
class ProgramProcess {
public:
    // The copy in the application directory, started in that directory.
    ProgramProcess(const ProgramHome& home, const std::string& display);
    // Another way in: a given program file and working directory (a desktop entry's Exec and Path).
    ProgramProcess(const ProgramHome& home, const std::string& display, const QString& program,
                   const QString& workingDirectory, const StartOptions& options = {});
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool started() const { return pid_ > 0; }
    qint64 pid() const { return pid_; }
    bool running();
    // The exit code once the process has ended normally; nothing while it runs or after a crash.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout = kPatience);
    // Its standard output and error so far, for failure messages.
    QString output() const;

private:
    QProcess process_;
    QString outputPath_;
    qint64 pid_ = 0;
};

}  // namespace tessavo::test
