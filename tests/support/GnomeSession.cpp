#include "tests/support/GnomeSession.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <stdexcept>

#include "tests/support/RunProgram.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/SessionUser.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

// Debian's own Python: the user's helper needs its GObject bindings.
const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kUserHelper = QStringLiteral(TESSAVO_SOURCE_DIR "/tests/support/gnome/gnome_user.py");
const QString kPortal = QStringLiteral("/usr/libexec/xdg-desktop-portal");
const QString kGnomeBackend = QStringLiteral("/usr/libexec/xdg-desktop-portal-gnome");

// Xwayland, started as mutter's user, puts its socket there: the folder must let every user in,
// as it does on a booted machine.
void openX11SocketFolder() {
    if (!runsAsRoot()) return;
    QDir().mkpath(QStringLiteral("/tmp/.X11-unix"));
    chmod("/tmp/.X11-unix", 01777);
}

// The document portal, which the desktop portal starts, mounts its files in the runtime
// directory and lets go of them when the bus ends; a mount still there cannot be removed.
void waitForDocumentsUnmounted(const QString& runtime) {
    const QString documents = runtime + QStringLiteral("/doc");
    const auto mounted = [&] {
        QFile mounts(QStringLiteral("/proc/self/mounts"));
        return mounts.open(QIODevice::ReadOnly) && mounts.readAll().contains(documents.toLocal8Bit());
    };
    if (!waitUntil([&] { return !mounted(); }, std::chrono::seconds(10)))
        runProgram(QStringLiteral("fusermount3"), {QStringLiteral("-u"), QStringLiteral("-z"), documents});
}

}  // namespace

bool GnomeSession::available() {
    const bool python = QProcess::execute(kPython, {QStringLiteral("-c"), QStringLiteral("import gi, pyatspi")}) == 0;
    return python && !QStandardPaths::findExecutable(QStringLiteral("mutter")).isEmpty() && QFile::exists(kPortal) &&
           QFile::exists(kGnomeBackend);
}

GnomeSession::GnomeSession() {
    if (!dir_.isValid()) throw std::runtime_error("no temporary directory for the GNOME session");
    const QString runtime = dir_.path() + QStringLiteral("/run");
    const QString logs = dir_.path() + QStringLiteral("/logs");
    for (const QString& folder : {runtime, dir_.path() + QStringLiteral("/home"), sharedDir(), logs}) {
        if (!QDir().mkpath(folder)) throw std::runtime_error("cannot make " + folder.toStdString());
    }
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    handOverToSessionUser(dir_.path());
    openX11SocketFolder();

    QProcessEnvironment session;
    session.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    session.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    session.insert(QStringLiteral("HOME"), dir_.path() + QStringLiteral("/home"));
    session.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("GNOME"));
    session.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    session.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    bus_ = std::make_unique<DesktopSessionBus>(session, logs);

    bus_->start({QStringLiteral("mutter"), QStringLiteral("--headless"), QStringLiteral("--wayland"),
                 QStringLiteral("--virtual-monitor"), QStringLiteral("1280x800")},
                QStringLiteral("mutter"));
    waitForXwayland();
    bus_->setVariable(QStringLiteral("WAYLAND_DISPLAY"), waylandSocket());
    bus_->setVariable(QStringLiteral("DISPLAY"), xDisplay_);
    bus_->setVariable(QStringLiteral("XAUTHORITY"), xAuthority_);
    bus_->startPortal({{QStringLiteral("gnome.portal"), {kGnomeBackend}, "org.freedesktop.impl.portal.desktop.gnome"}});
    startUser();
    warmUpKeyboard();
}

void GnomeSession::warmUpKeyboard() {
    // Mutter drops the first keys of a new device: typed into an entry of its own until one shows.
    QProcessEnvironment gtk = clientEnvironment();
    gtk.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("wayland"));
    QProcess& entry = startClient({QStringLiteral("zenity"), QStringLiteral("--entry"),
                                   QStringLiteral("--title=warm-up"), QStringLiteral("--text=warm-up")},
                                  gtk, QStringLiteral("warm-up"));
    if (!focusEntry(QStringLiteral("zenity"))) throw std::runtime_error("the user's keys reach no window of mutter's");
    entry.terminate();
    if (!entry.waitForFinished(static_cast<int>(kPatience.count())) ||
        !waitUntil([&] { return !entryText(QStringLiteral("zenity")); })) {
        throw std::runtime_error("the warm-up entry does not go");
    }
}

GnomeSession::~GnomeSession() {
    if (user_) {
        user_->closeWriteChannel();  // the helper gives its device back and ends
        if (!user_->waitForFinished(10000)) user_->kill();
        user_.reset();
    }
    x11_.reset();
    bus_.reset();
    waitForDocumentsUnmounted(dir_.path() + QStringLiteral("/run"));
}

QString GnomeSession::waylandSocket() const { return dir_.path() + QStringLiteral("/run/wayland-0"); }

void GnomeSession::waitForXwayland() {
    // Mutter names its X display in its log and leaves the key to it in the runtime directory.
    const QRegularExpression display(QStringLiteral("Using public X11 display (:\\d+)"));
    const bool up = waitUntil(
        [&] {
            const QRegularExpressionMatch match = display.match(bus_->log(QStringLiteral("mutter")));
            const QStringList keys =
                QDir(dir_.path() + QStringLiteral("/run"))
                    .entryList({QStringLiteral(".mutter-Xwaylandauth.*")}, QDir::Files | QDir::Hidden);
            if (!match.hasMatch() || keys.isEmpty() || !QFile::exists(waylandSocket())) return false;
            xDisplay_ = match.captured(1);
            xAuthority_ = dir_.path() + QStringLiteral("/run/") + keys.front();
            const ScopedEnvironment key("XAUTHORITY", xAuthority_.toLocal8Bit());
            try {
                x11_ = std::make_unique<X11Desktop>(xDisplay_.toStdString());
            } catch (const std::runtime_error&) {
                return false;
            }
            return true;
        },
        std::chrono::seconds(90));
    if (!up) throw std::runtime_error("mutter did not come up: " + bus_->log(QStringLiteral("mutter")).toStdString());
}

QString GnomeSession::logs() const {
    QString all;
    for (const QString& name : {QStringLiteral("mutter"), QStringLiteral("xdg-desktop-portal-gnome"),
                                QStringLiteral("xdg-desktop-portal"), QStringLiteral("dbus")}) {
        all += QStringLiteral("---- %1\n").arg(name) + bus_->log(name);
    }
    return all;
}

QProcessEnvironment GnomeSession::clientEnvironment() const { return bus_->environment(); }

QProcess& GnomeSession::startClient(const QStringList& command, const QProcessEnvironment& environment,
                                    const QString& name) {
    return bus_->start(command, name, environment);
}

bool GnomeSession::answerPortal(bool allow) {
    const ProgramRun answer = bus_->run({kPython, kUserHelper, QStringLiteral("answer"),
                                         allow ? QStringLiteral("allow") : QStringLiteral("cancel"),
                                         QString::number(kPatience.count() / 1000)});
    return answer.finished && answer.exitCode == 0;
}

void GnomeSession::startUser() {
    const QStringList command = asSessionUser({kPython, kUserHelper, QStringLiteral("serve")});
    user_ = std::make_unique<QProcess>();
    user_->setProcessEnvironment(bus_->environment());
    user_->setStandardErrorFile(dir_.path() + QStringLiteral("/logs/user.log"));
    user_->start(command.front(), command.mid(1));
    if (!user_->waitForStarted()) throw std::runtime_error("the user's helper does not start");
}

void GnomeSession::user(const QString& command) {
    user_->write(command.toUtf8() + '\n');
    user_->waitForBytesWritten();
    while (!user_->canReadLine()) {
        if (!user_->waitForReadyRead(static_cast<int>(kPatience.count())))
            throw std::runtime_error("the user's helper does not answer " + command.toStdString());
    }
    const QByteArray answer = user_->readLine().trimmed();
    if (answer != "ok")
        throw std::runtime_error("the user could not " + command.toStdString() + ": " + answer.toStdString());
}

void GnomeSession::click(const QPoint& at) {
    // A new pointer may lose its first moves: moved again until Xwayland sees it there.
    const bool there = waitUntil([&] {
        user(QStringLiteral("move %1 %2").arg(at.x()).arg(at.y()));
        return x11_->pointer() == at;
    });
    if (!there) throw std::runtime_error("the pointer does not get to the point");
    user(QStringLiteral("click"));
}

void GnomeSession::keys(const QStringList& names) { user(QStringLiteral("keys ") + names.join(u' ')); }

void GnomeSession::type(const QString& text) {
    QString quoted = text;
    quoted.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    user(QStringLiteral("type \"%1\"").arg(quoted));
}

std::optional<QString> GnomeSession::entryText(const QString& application) const {
    const ProgramRun read = bus_->run({kPython, kUserHelper, QStringLiteral("entry-text"), application});
    if (!read.finished || read.exitCode != 0) return std::nullopt;
    return QString::fromUtf8(read.standardOutput);
}

bool GnomeSession::focusEntry(const QString& application) {
    // A new window may not get the focus from mutter; a key the entry shows proves it has it, and
    // a new device may lose its first keys: typed again until one arrives.
    const bool focused = waitUntil([&] {
        if (entryText(application).value_or(QString()).isEmpty()) {
            type(QStringLiteral("x"));
            if (!waitUntil([&] { return !entryText(application).value_or(QString()).isEmpty(); },
                           std::chrono::seconds(3))) {
                keys({QStringLiteral("Alt_L+Tab")});
                return false;
            }
        }
        return true;
    });
    if (!focused) return false;
    keys({QStringLiteral("Control_L+a"), QStringLiteral("BackSpace")});
    return waitUntil([&] { return entryText(application) == QString(); });
}

}  // namespace tessavo::test
