#include "platform/portal/PortalShortcuts.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <utility>

#include "platform/base/Logging.h"
#include "platform/portal/PortalProbe.h"
#include "platform/portal/PortalRequest.h"

namespace tessavo::platform {
namespace {

const QString kGlobalShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
// The same at every start: KDE names the group of our shortcuts in its settings after the
// session's token, so a new token would make a new group each time.
const QString kSessionToken = QStringLiteral("tessavo");

// One entry of BindShortcuts' list, a(sa{sv}).
struct ShortcutEntry {
    QString id;
    QVariantMap properties;
};

}  // namespace
}  // namespace tessavo::platform

Q_DECLARE_METATYPE(tessavo::platform::ShortcutEntry)

namespace tessavo::platform {
namespace {

QDBusArgument& operator<<(QDBusArgument& argument, const ShortcutEntry& entry) {
    argument.beginStructure();
    argument << entry.id << entry.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ShortcutEntry& entry) {
    argument.beginStructure();
    argument >> entry.id >> entry.properties;
    argument.endStructure();
    return argument;
}

QVariant entriesOf(const std::vector<DesktopShortcuts::Shortcut>& shortcuts) {
    qDBusRegisterMetaType<ShortcutEntry>();
    qDBusRegisterMetaType<QList<ShortcutEntry>>();
    QList<ShortcutEntry> entries;
    for (const auto& shortcut : shortcuts) {
        entries.append({shortcut.id,
                        {{QStringLiteral("description"), shortcut.description},
                         {QStringLiteral("preferred_trigger"), shortcut.trigger}}});
    }
    return QVariant::fromValue(entries);
}

}  // namespace

std::unique_ptr<DesktopShortcuts> makePortalShortcuts() {
    if (!sessionPortalOffers(kGlobalShortcuts)) return nullptr;
    return std::make_unique<PortalShortcuts>(QDBusConnection::sessionBus());
}

PortalShortcuts::PortalShortcuts(const QDBusConnection& bus) : bus_(bus) {
    releaseWait_.setSingleShot(true);
    releaseWait_.setInterval(kReleaseWaitMilliseconds);
    connect(&releaseWait_, &QTimer::timeout, this, &PortalShortcuts::dispatch);
}

void PortalShortcuts::bind(const std::vector<Shortcut>& shortcuts, Receiver receiver) {
    receiver_ = std::move(receiver);
    if (std::exchange(asked_, true)) return;
    shortcuts_ = shortcuts;
    // Plasma 5 registers the shortcuts the session is made with (its BindShortcuts only shows its
    // settings); Plasma 6 and GNOME register those of BindShortcuts: both carry them.
    const QVariantMap options{{QStringLiteral("session_handle_token"), kSessionToken},
                              {QStringLiteral("shortcuts"), entriesOf(shortcuts_)}};
    portal::PortalRequest::start(this, bus_, kGlobalShortcuts, QStringLiteral("CreateSession"), {}, options,
                                 [this](std::uint32_t code, const QVariantMap& results) {
                                     session_ = portal::sessionHandleOf(results);
                                     if (code != portal::kGranted || session_.isEmpty()) {
                                         qCWarning(lcPlatform, "the desktop gave no global-shortcuts session");
                                         return;
                                     }
                                     bindShortcuts();
                                 });
}

void PortalShortcuts::bindShortcuts() {
    // The signals come on the portal's own object, for every session of ours.
    bus_.connect(QLatin1String(portal::kService), QLatin1String(portal::kObjectPath), kGlobalShortcuts,
                 QStringLiteral("Activated"), this, SLOT(Activated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    bus_.connect(QLatin1String(portal::kService), QLatin1String(portal::kObjectPath), kGlobalShortcuts,
                 QStringLiteral("Deactivated"), this,
                 SLOT(Deactivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    portal::PortalRequest::start(this, bus_, kGlobalShortcuts, QStringLiteral("BindShortcuts"),
                                 {QVariant::fromValue(QDBusObjectPath(session_)), entriesOf(shortcuts_), QString()}, {},
                                 [this](std::uint32_t code, const QVariantMap&) {
                                     bound_ = code == portal::kGranted;
                                     if (!bound_) qCWarning(lcPlatform, "the desktop did not bind our shortcuts");
                                 });
}

void PortalShortcuts::Activated(const QDBusObjectPath& session, const QString& id, qulonglong, const QVariantMap&) {
    if (session.path() != session_) return;
    for (std::size_t i = 0; i < shortcuts_.size(); ++i) {
        if (shortcuts_[i].id != id) continue;
        if (held_) dispatch();  // another one still held: that one first
        held_ = i;
        releaseWait_.start();
    }
}

void PortalShortcuts::Deactivated(const QDBusObjectPath& session, const QString& id, qulonglong, const QVariantMap&) {
    if (session.path() != session_ || !held_ || shortcuts_[*held_].id != id) return;
    dispatch();
}

void PortalShortcuts::dispatch() {
    releaseWait_.stop();
    const auto index = std::exchange(held_, std::nullopt);
    if (index && receiver_) receiver_(*index);
}

}  // namespace tessavo::platform
