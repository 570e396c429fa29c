#include "tests/support/ProgramProcess.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

#include "tests/support/RunProgram.h"

namespace tessavo::test {
namespace {

// The database password, as the sqlcipher shell takes it.
const QString kDatabaseKey = QStringLiteral("Pw4r-Lq9t-Zx");

void makeDirectory(const QString& path, QFileDevice::Permissions permissions = {}) {
    if (!QDir().mkpath(path)) throw std::runtime_error("cannot make " + path.toStdString());
    if (permissions && !QFile::setPermissions(path, permissions))
        throw std::runtime_error("cannot set the permissions of " + path.toStdString());
}

void copyProgram(const QString& binDir, const QString& target) {
    const QString source = QDir(binDir).filePath(QStringLiteral("tessavo"));
    if (!QFile::copy(source, target)) throw std::runtime_error("cannot copy " + source.toStdString());
}

void makeInitialDatabase(const QString& binDir, const QString& appDir) {
    const ProgramRun init = runProgram(QDir(binDir).filePath(QStringLiteral("tessavo-db")), {"init", appDir});
    if (!init.finished || init.exitCode != 0)
        throw std::runtime_error("tessavo-db init failed: " + init.standardError.toStdString());
}

QString readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

}  // namespace

ProgramHome::ProgramHome(const QString& binDir, Database database, const QString& appFolder) {
    if (!root_.isValid()) throw std::runtime_error("no temporary directory");
    appDir_ = root_.filePath(appFolder) + u'/';
    homeDir_ = root_.filePath(QStringLiteral("home"));
    makeDirectory(appDir_);
    copyProgram(binDir, executable());
    if (database == Database::Initial) makeInitialDatabase(binDir, appDir_);
    makeDirectory(homeDir_ + QStringLiteral("/.config"));
    makeDirectory(homeDir_ + QStringLiteral("/.run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // A user's home has a desktop folder; the program writes into it, it does not make it.
    desktopDir_ = homeDir_ + QStringLiteral("/Desktop");
    makeDirectory(desktopDir_);
}

void ProgramHome::useDesktopFolder(const QString& relativeToHome) {
    desktopDir_ = homeDir_ + u'/' + relativeToHome;
    makeDirectory(desktopDir_);
    QFile userDirs(homeDir_ + QStringLiteral("/.config/user-dirs.dirs"));
    if (!userDirs.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write " + userDirs.fileName().toStdString());
    userDirs.write(QStringLiteral("XDG_DESKTOP_DIR=\"$HOME/%1\"\n").arg(relativeToHome).toUtf8());
}

void ProgramHome::runSql(const QString& statements) const {
    const QString script = QStringLiteral("PRAGMA key='%1';\n%2\n").arg(kDatabaseKey, statements);
    const ProgramRun shell = runProgram(QStringLiteral("sqlcipher"), {"-batch", databasePath()}, script.toUtf8());
    if (!shell.finished || shell.exitCode != 0 || !shell.standardError.isEmpty())
        throw std::runtime_error("the sqlcipher shell failed: " + shell.standardError.toStdString());
}

QStringList ProgramHome::shownBoxes() const {
    return readText(root_.filePath(QStringLiteral("boxes.log"))).split(u'\n', Qt::SkipEmptyParts);
}

QProcessEnvironment ProgramHome::environment(const std::string& display) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Nothing of the desktop the tests run in: no session bus (so the tray icon goes to the X11
    // tray host), no session manager, no platform theme, no Wayland session around the X server.
    for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "SESSION_MANAGER", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION",
                             "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                             "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"}) {
        environment.remove(QString::fromLatin1(name));
    }
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=") + root_.filePath(QStringLiteral("no-bus")));
    environment.insert(QStringLiteral("DISPLAY"), QString::fromStdString(display));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("HOME"), homeDir_);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), homeDir_ + QStringLiteral("/.config"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), homeDir_ + QStringLiteral("/.run"));
    environment.insert(QStringLiteral("TESSAVO_DIALOG_LOG"), root_.filePath(QStringLiteral("boxes.log")));
    return environment;
}

QString ProgramHome::newOutputPath() const { return root_.filePath(QStringLiteral("output-%1.log").arg(++outputs_)); }

ProgramProcess::ProgramProcess(const ProgramHome& home, const std::string& display)
    : ProgramProcess(home, display, home.executable(), home.appDir()) {}

ProgramProcess::ProgramProcess(const ProgramHome& home, const std::string& display, const QString& program,
                               const QString& workingDirectory, const StartOptions& options)
    : outputPath_(home.newOutputPath()) {
    QProcessEnvironment environment = home.environment(display);
    for (const auto& [name, value] : options.environment) {
        if (value)
            environment.insert(name, *value);
        else
            environment.remove(name);
    }
    process_.setProcessEnvironment(environment);
    process_.setWorkingDirectory(workingDirectory);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setStandardOutputFile(outputPath_);
    process_.start(program, options.arguments);
    if (process_.waitForStarted(int(kPatience.count()))) pid_ = process_.processId();
}

ProgramProcess::~ProgramProcess() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(int(kPatience.count()));
}

bool ProgramProcess::running() {
    if (process_.state() == QProcess::NotRunning) return false;
    return !process_.waitForFinished(1);
}

std::optional<int> ProgramProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (process_.state() != QProcess::NotRunning) process_.waitForFinished(int(timeout.count()));
    if (process_.state() != QProcess::NotRunning || process_.exitStatus() != QProcess::NormalExit) return std::nullopt;
    return process_.exitCode();
}

QString ProgramProcess::output() const { return readText(outputPath_); }

}  // namespace tessavo::test
