#include "tests/support/KdeSession.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QStandardPaths>
#include <atomic>
#include <stdexcept>

#include "autofill/Unit_SendKey.h"
#include "platform/wayland/WaylandKeyboard.h"
#include "tests/support/FileBytes.h"
#include "tests/support/SessionUser.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

const QString kWaylandDisplay = QStringLiteral("tessavo-kde");
const QString kActivePrefix = QStringLiteral("js: tessavo-active: ");

// The session bus of a desktop, with room for this test's own connection when the desktop runs
// as another user.
const char* const kBusConfiguration =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <standard_session_servicedirs/>
  <policy context="default">
    <allow user="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

// A KWin script that writes the window KWin makes active, where it is (undecorated here: KDE's
// decorations are not installed) and its caption
// into KWin's log, at once and at every change of the window or of its place.
const char* const kActivationScript = R"(function tell(window) {
    if (!window) {
        print("tessavo-active: ");
        return;
    }
    const g = window.frameGeometry;
    print("tessavo-active: " + [g.x, g.y, g.width, g.height].map(Math.round).join(" ") + " " + window.caption);
}
function watch(window) {
    if (!window) return;
    window.frameGeometryChanged.connect(function () {
        if (workspace.activeClient === window) tell(window);
    });
}
workspace.clientActivated.connect(tell);
workspace.clientAdded.connect(watch);
tell(workspace.activeClient);
)";

void writeText(const QString& path, const QString& text) {
    if (!writeBytes(path, text.toStdString())) throw std::runtime_error("cannot write " + path.toStdString());
}

// Debian puts the KDE backend in the architecture's folder of /usr/lib.
QString portalBackend() {
    QStringList candidates{QStringLiteral("/usr/libexec")};
    for (const QString& folder : QDir(QStringLiteral("/usr/lib")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        candidates << QStringLiteral("/usr/lib/") + folder + QStringLiteral("/libexec");
    }
    for (const QString& folder : candidates) {
        const QString backend = folder + QStringLiteral("/xdg-desktop-portal-kde");
        if (QFileInfo(backend).isExecutable()) return backend;
    }
    return {};
}

QString connectionName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("tessavo-test-kde-%1").arg(++counter);
}

}  // namespace

bool KdeSession::available() {
    return !QStandardPaths::findExecutable(QStringLiteral("kwin_wayland")).isEmpty() &&
           QFile::exists(QStringLiteral("/usr/libexec/xdg-desktop-portal")) && !portalBackend().isEmpty();
}

KdeSession::KdeSession(const Options& options) : busName_(connectionName()) {
    if (!dir_.isValid()) throw std::runtime_error("no temporary directory for KWin");
    for (const QString& folder : {runtimeDir(), homeDir() + QStringLiteral("/.config"), dir_.path() + "/bin"}) {
        if (!QDir().mkpath(folder)) throw std::runtime_error("cannot make " + folder.toStdString());
    }
    // A runtime directory is its user's alone.
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeConfiguration(options);
    handOverToSessionUser(dir_.path());
    startBus();
    startKwin();
    watchActivations();
    startPortals();
    const QByteArray layout = options.keyboardLayout.toLatin1();
    keyboard_ = std::make_unique<platform::WaylandKeyboard>(
        platform::WaylandKeymap::fromNames({"", "", layout.toStdString(), "", ""}),
        std::make_unique<KwinFakeInput>(waylandSocket()));
    pointer_ = std::make_unique<KwinFakeInput>(waylandSocket());
}

KdeSession::~KdeSession() {
    keyboard_.reset();
    pointer_.reset();
    QDBusConnection::disconnectFromBus(busName_);
    for (auto process = processes_.rbegin(); process != processes_.rend(); ++process) {
        (*process)->terminate();
        if (!(*process)->waitForFinished(10000)) (*process)->kill();
        (*process)->waitForFinished(5000);
    }
    // The document portal the bus started unmounts its folder of the runtime directory only once
    // it has seen the bus go.
    waitUntil([this] { return QDir(dir_.path()).removeRecursively(); });
}

void KdeSession::writeConfiguration(const Options& options) {
    const QString config = homeDir() + QStringLiteral("/.config/");
    // The layout as KDE's keyboard settings write it.
    writeText(config + QStringLiteral("kxkbrc"),
              QStringLiteral("[Layout]\nLayoutList=%1\nUse=true\n").arg(options.keyboardLayout));
    // A new window gets the focus, as the user's click on a program would give it.
    writeText(config + QStringLiteral("kwinrc"), QStringLiteral("[Windows]\nFocusStealingPreventionLevel=0\n"));
    writeText(dir_.path() + QStringLiteral("/bus.conf"),
              QString::fromLatin1(kBusConfiguration).arg(runtimeDir() + QStringLiteral("/bus")));
    writeText(dir_.path() + QStringLiteral("/activations.js"), QString::fromLatin1(kActivationScript));
    // Without the file capability Debian gives it, which a container refuses.
    const QString kwin = dir_.path() + QStringLiteral("/bin/kwin_wayland");
    if (!QFile::copy(QStandardPaths::findExecutable(QStringLiteral("kwin_wayland")), kwin))
        throw std::runtime_error("cannot copy kwin_wayland");
}

QProcess& KdeSession::startLogged(const QStringList& command, const QProcessEnvironment& environment,
                                  const QString& logName) {
    auto& process = processes_.emplace_back(std::make_unique<QProcess>());
    const QStringList full = asSessionUser(command);
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(dir_.path() + u'/' + logName);
    process->start(full.front(), full.mid(1));
    if (!process->waitForStarted()) throw std::runtime_error("cannot start " + command.join(u' ').toStdString());
    return *process;
}

void KdeSession::startBus() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_SESSION_TYPE"}) {
        environment.remove(QString::fromLatin1(name));
    }
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
    environment.insert(QStringLiteral("HOME"), homeDir());
    environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("KDE"));
    session_ = environment;
    startLogged(
        {QStringLiteral("dbus-daemon"), "--config-file=" + dir_.path() + "/bus.conf", QStringLiteral("--nofork")},
        environment, QStringLiteral("bus.log"));
    busAddress_ = QStringLiteral("unix:path=") + runtimeDir() + QStringLiteral("/bus");
    session_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress_);
    if (!waitUntil([this] { return bus().isConnected(); })) throw std::runtime_error("the session bus did not come up");
}

QDBusConnection KdeSession::bus() const {
    QDBusConnection connection(busName_);
    if (connection.isConnected()) return connection;
    QDBusConnection::disconnectFromBus(busName_);  // a failed try is remembered under the name
    return QDBusConnection::connectToBus(busAddress_, busName_);
}

void KdeSession::startKwin() {
    QProcessEnvironment environment = session_;
    // Fake input for the harness's keys and mouse; the painter compositor spares the CPU.
    environment.insert(QStringLiteral("KWIN_WAYLAND_NO_PERMISSION_CHECKS"), QStringLiteral("1"));
    environment.insert(QStringLiteral("KWIN_COMPOSE"), QStringLiteral("Q"));
    const QString environmentFile = dir_.path() + QStringLiteral("/session.env");
    QProcess& kwin = startLogged(
        {dir_.path() + QStringLiteral("/bin/kwin_wayland"), QStringLiteral("--virtual"), QStringLiteral("--xwayland"),
         QStringLiteral("--no-lockscreen"), QStringLiteral("--width"), QStringLiteral("1280"),
         QStringLiteral("--height"), QStringLiteral("800"), QStringLiteral("--socket"), kWaylandDisplay,
         QStringLiteral("sh -c 'env > %1'").arg(environmentFile)},
        environment, QStringLiteral("kwin.log"));
    QProcessEnvironment started;
    const bool up = waitUntil([&] {
        if (kwin.state() != QProcess::Running) return false;
        started = readEnvironmentFile(environmentFile);
        return started.contains(QStringLiteral("DISPLAY")) && started.contains(QStringLiteral("WAYLAND_DISPLAY"));
    });
    if (!up) {
        throw std::runtime_error("KWin did not come up: " + readBytes(dir_.path() + QStringLiteral("/kwin.log")));
    }
    waylandDisplay_ = kWaylandDisplay;
    for (const char* name : {"DISPLAY", "XAUTHORITY"}) {
        session_.insert(QString::fromLatin1(name), started.value(QString::fromLatin1(name)));
    }
    session_.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandDisplay_);
    session_.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
}

void KdeSession::watchActivations() {
    QDBusMessage load =
        QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
                                       QStringLiteral("org.kde.kwin.Scripting"), QStringLiteral("loadScript"));
    load << dir_.path() + QStringLiteral("/activations.js") << QStringLiteral("tessavo-activations");
    const QDBusMessage loaded = bus().call(load);
    const QDBusMessage start =
        bus().call(QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
                                                  QStringLiteral("org.kde.kwin.Scripting"), QStringLiteral("start")));
    if (loaded.type() != QDBusMessage::ReplyMessage || start.type() != QDBusMessage::ReplyMessage)
        throw std::runtime_error("KWin does not run the script: " + loaded.errorMessage().toStdString());
    if (!waitUntil([this] { return lastActivation().has_value(); }))
        throw std::runtime_error("KWin's script tells nothing");
}

void KdeSession::startPortals() {
    QProcessEnvironment backend = session_;
    backend.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    startLogged({portalBackend()}, backend, QStringLiteral("portal-kde.log"));
    const auto registered = [this](const char* name) {
        return waitUntil([&] { return bus().interface()->isServiceRegistered(QString::fromLatin1(name)).value(); });
    };
    if (!registered("org.freedesktop.impl.portal.desktop.kde"))
        throw std::runtime_error("KDE's portal backend did not come up: " +
                                 log(QStringLiteral("portal-kde.log")).toStdString());
    startLogged({QStringLiteral("/usr/libexec/xdg-desktop-portal"), QStringLiteral("--verbose")}, session_,
                QStringLiteral("portal.log"));
    if (!registered("org.freedesktop.portal.Desktop")) throw std::runtime_error("the desktop portal did not come up");
}

QProcessEnvironment KdeSession::clientEnvironment() const { return session_; }

QStringList KdeSession::asSessionUser(const QStringList& command) const { return test::asSessionUser(command); }

void KdeSession::handOver(const QString& path) const { handOverToSessionUser(path); }

QProcess& KdeSession::startClient(const QStringList& command, const QProcessEnvironment& environment,
                                  const QString& logName) {
    return startLogged(command, environment, logName);
}

void KdeSession::type(const QString& keyLanguage) {
    std::unique_ptr<platform::Keyboard> previous = platform::installKeyboard(std::move(keyboard_));
    const bool typed = autofill::SendKeyString(keyLanguage, false);
    keyboard_ = platform::installKeyboard(std::move(previous));
    if (!typed) throw std::runtime_error("cannot type " + keyLanguage.toStdString());
}

void KdeSession::click(QPoint at) { pointer_->click(at); }

std::optional<KdeSession::Activation> KdeSession::lastActivation() const {
    const QString log = QString::fromStdString(readBytes(dir_.path() + QStringLiteral("/kwin.log")));
    const qsizetype at = log.lastIndexOf(kActivePrefix);
    if (at < 0) return std::nullopt;
    const qsizetype end = log.indexOf(u'\n', at);
    const QString line = log.mid(at + kActivePrefix.size(), end < 0 ? -1 : end - at - kActivePrefix.size());
    const QStringList parts = line.split(u' ');
    if (parts.size() < 5) return Activation{};
    return Activation{parts.mid(4).join(u' '),
                      QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt())};
}

QString KdeSession::activeCaption() const {
    const std::optional<Activation> active = lastActivation();
    return active ? active->caption : QString();
}

bool KdeSession::waitForActive(const QString& caption) const {
    return waitUntil([&] { return activeCaption() == caption; });
}

std::optional<QRect> KdeSession::activeContentRect(const QString& caption) const {
    const std::optional<Activation> active = lastActivation();
    if (!active || active->caption != caption) return std::nullopt;
    return active->content;
}

QStringList KdeSession::globalShortcuts(const QString& component) const {
    const QDBusMessage reply = bus().call(QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.kglobalaccel"), QStringLiteral("/component/") + component,
        QStringLiteral("org.kde.kglobalaccel.Component"), QStringLiteral("allShortcutInfos")));
    QStringList shortcuts;
    if (reply.type() != QDBusMessage::ReplyMessage) return shortcuts;
    // a(ssssssaiai): the id, five names, the keys in use and the default keys.
    const QDBusArgument infos = reply.arguments().value(0).value<QDBusArgument>();
    infos.beginArray();
    while (!infos.atEnd()) {
        QString id;
        QString ignored;
        QList<int> keys;
        QList<int> defaultKeys;
        infos.beginStructure();
        infos >> id >> ignored >> ignored >> ignored >> ignored >> ignored >> keys >> defaultKeys;
        infos.endStructure();
        QStringList named;
        for (const int key : keys) {
            named << QKeySequence(QKeyCombination::fromCombined(key)).toString(QKeySequence::PortableText);
        }
        shortcuts << id + u' ' + named.join(u',');
    }
    infos.endArray();
    return shortcuts;
}

QString KdeSession::log(const QString& name) const {
    return QString::fromStdString(readBytes(dir_.path() + u'/' + name));
}

}  // namespace tessavo::test
