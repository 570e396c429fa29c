#include "platform/keyboard/IbusInputMethod.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QStandardPaths>
#include <QVariant>
#include <optional>
#include <utility>

#include "platform/base/Logging.h"
#include "platform/keyboard/IbusBus.h"

namespace tessavo::platform {
namespace {

// A hanging daemon must not hold up the typing for long; the calls take a few milliseconds.
constexpr int kTimeoutMilliseconds = 1000;

// IBUS_ADDRESS, else the file ibus-daemon leaves: named after the Wayland display where there
// is one (ibus-daemon started with the session's Wayland compositor), else after the X display.
QString ibusAddress() {
    const QString set = qEnvironmentVariable("IBUS_ADDRESS");
    if (!set.isEmpty()) return set;
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/ibus/bus/");
    const QString machine = QString::fromLatin1(QDBusConnection::localMachineId());
    const QString x11Display = qEnvironmentVariable("DISPLAY");
    for (const QString& waylandDisplay : {qEnvironmentVariable("WAYLAND_DISPLAY"), QString()}) {
        QFile file(folder + ibusAddressFileName(machine, waylandDisplay, x11Display));
        if (file.open(QIODevice::ReadOnly)) return ibusAddressIn(file.readAll());
    }
    return {};
}

// A connection to ibus-daemon's own bus for the lifetime of the object.
class IbusConnection {
public:
    IbusConnection() {
        const QString address = ibusAddress();
        if (!address.isEmpty()) bus_ = QDBusConnection::connectToBus(address, kName);
    }
    ~IbusConnection() { QDBusConnection::disconnectFromBus(kName); }
    IbusConnection(const IbusConnection&) = delete;
    IbusConnection& operator=(const IbusConnection&) = delete;

    bool connected() const { return bus_.isConnected(); }

    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.IBus"), QStringLiteral("/org/freedesktop/IBus"), interface, method);
        message.setArguments(arguments);
        return bus_.call(message, QDBus::Block, kTimeoutMilliseconds);
    }

    // A property of the daemon as the D-Bus argument it carries; nullopt when it is not there.
    std::optional<QDBusArgument> property(const QString& name) {
        const QDBusMessage reply = call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                                        {QStringLiteral("org.freedesktop.IBus"), name});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
        QVariant value = reply.arguments().constFirst().value<QDBusVariant>().variant();
        // GlobalEngine is a variant within the variant.
        if (value.userType() == qMetaTypeId<QDBusVariant>()) value = value.value<QDBusVariant>().variant();
        if (value.userType() != qMetaTypeId<QDBusArgument>()) return std::nullopt;
        return value.value<QDBusArgument>();
    }

    bool setGlobalEngine(const QString& engine) {
        const QDBusMessage reply =
            call(QStringLiteral("org.freedesktop.IBus"), QStringLiteral("SetGlobalEngine"), {engine});
        if (reply.type() == QDBusMessage::ReplyMessage) return true;
        qCWarning(lcPlatform) << "IBus refused the engine" << engine << reply.errorName() << reply.errorMessage();
        return false;
    }

private:
    static inline const QString kName = QStringLiteral("tessavo-ibus");
    QDBusConnection bus_{QString()};
};

// An engine description is a structure of a type name, attachments, then the engine's name and
// more fields; only the name matters here.
QString engineName(const QDBusArgument& description) {
    QString typeName;
    QVariantMap attachments;
    QString name;
    description.beginStructure();
    description >> typeName >> attachments >> name;
    description.endStructure();
    return name;
}

QStringList engineNames(const QDBusArgument& descriptions) {
    QStringList names;
    descriptions.beginArray();
    while (!descriptions.atEnd()) {
        QDBusVariant description;
        descriptions >> description;
        names << engineName(description.variant().value<QDBusArgument>());
    }
    descriptions.endArray();
    return names;
}

}  // namespace

IbusInputMethod::IbusInputMethod(std::function<KeyboardLayout()> activeLayout)
    : activeLayout_(std::move(activeLayout)) {}

std::optional<bool> IbusInputMethod::isActive() {
    IbusConnection ibus;
    if (!ibus.connected()) {
        qCDebug(lcPlatform) << "no IBus input method to switch";
        return std::nullopt;
    }
    // Without a global engine (none chosen yet) IBus passes the keys on as they come.
    const std::optional<QDBusArgument> engine = ibus.property(QStringLiteral("GlobalEngine"));
    const QString name = engine ? engineName(*engine) : QString();
    qCDebug(lcPlatform) << "IBus engine:" << (name.isEmpty() ? QStringLiteral("none") : name);
    return !name.isEmpty() && !isKeyboardEngine(name);
}

bool IbusInputMethod::setActive(bool active) {
    IbusConnection ibus;
    if (!ibus.connected()) return false;
    if (active) return !composingEngine_.isEmpty() && ibus.setGlobalEngine(std::exchange(composingEngine_, {}));
    const std::optional<QDBusArgument> current = ibus.property(QStringLiteral("GlobalEngine"));
    const std::optional<QDBusArgument> engines = ibus.property(QStringLiteral("Engines"));
    if (!current) return false;
    const QString keyboardEngine = keyboardEngineFor(activeLayout_(), engines ? engineNames(*engines) : QStringList());
    composingEngine_ = engineName(*current);
    if (ibus.setGlobalEngine(keyboardEngine)) return true;
    composingEngine_.clear();
    return false;
}

}  // namespace tessavo::platform
