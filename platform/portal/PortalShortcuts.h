#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <memory>
#include <optional>

#include "platform/keyboard/DesktopShortcuts.h"

namespace tessavo::platform {

// The global-shortcuts portal: one session, the shortcuts bound in it once, and each use
// passed on when the user lets go of it (or after a short wait, for a desktop that does not
// say so), so the keys typed then do not combine with the shortcut's own.
class PortalShortcuts final : public QObject, public DesktopShortcuts {
    Q_OBJECT
public:
    explicit PortalShortcuts(const QDBusConnection& bus);

    void bind(const std::vector<Shortcut>& shortcuts, Receiver receiver) override;
    // Whether the desktop has bound them.
    bool bound() const { return bound_; }

    // How long a used shortcut may stay held before it is acted on all the same.
    static constexpr int kReleaseWaitMilliseconds = 2000;

private Q_SLOTS:
    void Activated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp, const QVariantMap& options);
    void Deactivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                     const QVariantMap& options);

private:
    void bindShortcuts();
    void dispatch();

    QDBusConnection bus_;
    std::vector<Shortcut> shortcuts_;
    Receiver receiver_;
    QString session_;
    bool asked_ = false;
    bool bound_ = false;
    std::optional<std::size_t> held_;  // the shortcut used and not yet let go of
    QTimer releaseWait_;
};

// The shortcuts of the portal on the session bus; nullptr when it offers none.
std::unique_ptr<DesktopShortcuts> makePortalShortcuts();

}  // namespace tessavo::platform
