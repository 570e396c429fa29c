#include "tests/support/SwaySession.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <functional>
#include <stdexcept>

#include "autofill/Unit_SendKey.h"
#include "platform/wayland/WaylandKeyboard.h"
#include "platform/wayland/WaylandVirtualKeyboard.h"
#include "tests/support/SessionUser.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

// Depth first, the first node the predicate accepts.
std::optional<QJsonObject> findNode(const QJsonObject& node, const std::function<bool(const QJsonObject&)>& accept) {
    if (accept(node)) return node;
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue child : node.value(QLatin1String(children)).toArray()) {
            if (auto found = findNode(child.toObject(), accept)) return found;
        }
    }
    return std::nullopt;
}

QRect rectOf(const QJsonValue& value) {
    const QJsonObject rect = value.toObject();
    return {rect.value("x").toInt(), rect.value("y").toInt(), rect.value("width").toInt(),
            rect.value("height").toInt()};
}

}  // namespace

bool SwaySession::available() { return !QStandardPaths::findExecutable(QStringLiteral("sway")).isEmpty(); }

SwaySession::SwaySession(const Options& options) {
    if (!dir_.isValid()) throw std::runtime_error("no temporary directory for sway");
    for (const QString& folder : {runtimeDir(), sharedDir()}) {
        if (!QDir().mkpath(folder)) throw std::runtime_error("cannot make " + folder.toStdString());
    }
    // A runtime directory is its user's alone.
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString environmentFile = dir_.path() + QStringLiteral("/session.env");
    QStringList config = {
        QStringLiteral("xwayland enable"),
        QStringLiteral("input type:keyboard xkb_layout %1").arg(options.keyboardLayout),
        QStringLiteral("exec env > %1").arg(environmentFile),
    };
    config += options.configLines;
    writeFile(dir_.path() + QStringLiteral("/config"), config.join(u'\n').toUtf8() + '\n');
    handOver(dir_.path());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"WAYLAND_DISPLAY", "DISPLAY", "SWAYSOCK", "DBUS_SESSION_BUS_ADDRESS", "XDG_SESSION_TYPE"}) {
        environment.remove(QString::fromLatin1(name));
    }
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
    environment.insert(QStringLiteral("HOME"), dir_.path());
    environment.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    environment.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    environment.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    sway_.setProcessEnvironment(environment);
    sway_.setProcessChannelMode(QProcess::MergedChannels);
    sway_.setStandardOutputFile(dir_.path() + QStringLiteral("/sway.log"));
    const QStringList command = asSessionUser({QStringLiteral("sway"), QStringLiteral("-c"), dir_.path() + "/config"});
    sway_.start(command.front(), command.mid(1));
    if (!sway_.waitForStarted()) throw std::runtime_error("sway does not start");
    waitUntilUp();
    // The user's keyboard: made now, so that it is the seat's keyboard before any program
    // starts, and has sent a key before the first one that counts.
    const QByteArray socket = waylandSocket().toLocal8Bit();
    keyboard_ = std::make_unique<platform::WaylandKeyboard>(
        platform::WaylandKeymap::fromNames({"", "", options.keyboardLayout.toStdString(), "", ""}),
        std::make_unique<platform::WaylandVirtualKeyboard>(socket.constData()));
    keyboard_->beginTyping();
    keyboard_->keybdEvent(platform::vk::Shift, 0, 0);
    keyboard_->keybdEvent(platform::vk::Shift, 0, platform::KeyEventKeyUp);
    keyboard_->endTyping();
    // The user's mouse, there before any program asks the seat for one.
    pointer_ = std::make_unique<WaylandPointer>(waylandSocket(), rectOf(tree().value("rect")).size());
}

void SwaySession::type(const QString& keyLanguage) {
    std::unique_ptr<platform::Keyboard> previous = platform::installKeyboard(std::move(keyboard_));
    const bool typed = autofill::SendKeyString(keyLanguage, false);
    keyboard_ = platform::installKeyboard(std::move(previous));
    if (!typed) throw std::runtime_error("cannot type " + keyLanguage.toStdString());
}

void SwaySession::waitUntilUp() {
    const QString environmentFile = dir_.path() + QStringLiteral("/session.env");
    QProcessEnvironment session;
    const bool up = waitUntil([&] {
        if (sway_.state() != QProcess::Running) return false;
        session = readEnvironmentFile(environmentFile);
        return session.contains(QStringLiteral("DISPLAY")) && session.contains(QStringLiteral("SWAYSOCK"));
    });
    if (!up) {
        QFile log(dir_.path() + QStringLiteral("/sway.log"));
        log.open(QIODevice::ReadOnly);
        throw std::runtime_error("sway did not come up: " + log.readAll().toStdString());
    }
    waylandDisplay_ = session.value(QStringLiteral("WAYLAND_DISPLAY"));
    xDisplay_ = session.value(QStringLiteral("DISPLAY"));
    swaySocket_ = session.value(QStringLiteral("SWAYSOCK"));
}

SwaySession::~SwaySession() {
    for (const auto& client : clients_) {
        client->terminate();
        if (!client->waitForFinished(5000)) client->kill();
        client->waitForFinished(5000);
    }
    sway_.terminate();
    if (!sway_.waitForFinished(10000)) sway_.kill();
    sway_.waitForFinished(5000);
}

QProcessEnvironment SwaySession::clientEnvironment() const {
    QProcessEnvironment environment = sway_.processEnvironment();
    for (const char* name : {"WLR_BACKENDS", "WLR_RENDERER", "WLR_LIBINPUT_NO_DEVICES"}) {
        environment.remove(QString::fromLatin1(name));
    }
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandDisplay_);
    environment.insert(QStringLiteral("DISPLAY"), xDisplay_);
    environment.insert(QStringLiteral("SWAYSOCK"), swaySocket_);
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    return environment;
}

QStringList SwaySession::asSessionUser(const QStringList& command) const { return test::asSessionUser(command); }

void SwaySession::handOver(const QString& path) const { handOverToSessionUser(path); }

QProcess& SwaySession::startClient(const QStringList& command, const QProcessEnvironment& environment) {
    auto& client = clients_.emplace_back(std::make_unique<QProcess>());
    const QStringList full = asSessionUser(command);
    client->setProcessEnvironment(environment);
    client->setProcessChannelMode(QProcess::MergedChannels);
    client->start(full.front(), full.mid(1));
    if (!client->waitForStarted()) throw std::runtime_error("cannot start " + command.join(u' ').toStdString());
    return *client;
}

ProgramRun SwaySession::run(const QStringList& command) const { return runAsSessionUser(command, clientEnvironment()); }

bool SwaySession::command(const QString& text) const {
    const ProgramRun reply = run({QStringLiteral("swaymsg"), text});
    return reply.exitCode == 0 && !reply.standardOutput.contains("\"success\": false");
}

QJsonObject SwaySession::tree() const {
    const ProgramRun reply =
        run({QStringLiteral("swaymsg"), QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("get_tree")});
    return QJsonDocument::fromJson(reply.standardOutput).object();
}

QString SwaySession::focusedTitle() const {
    const auto focused = findNode(tree(), [](const QJsonObject& node) { return node.value("focused").toBool(); });
    return focused ? focused->value("name").toString() : QString();
}

bool SwaySession::waitForFocus(const QString& title) const {
    return waitUntil([&] { return focusedTitle() == title; });
}

std::optional<QRect> SwaySession::contentRect(const QString& title) const {
    const auto window = findNode(tree(), [&](const QJsonObject& node) {
        return node.value("name").toString() == title && node.contains("window_rect") &&
               (node.value("type") == "con" || node.value("type") == "floating_con");
    });
    if (!window) return std::nullopt;
    const QRect frame = rectOf(window->value("rect"));
    return rectOf(window->value("window_rect")).translated(frame.topLeft());
}

void SwaySession::click(const QPoint& at) { pointer_->click(at); }

}  // namespace tessavo::test
