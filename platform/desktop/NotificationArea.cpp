#include "platform/desktop/NotificationArea.h"

#include <QSystemTrayIcon>

namespace tessavo::platform {
namespace {

std::optional<bool>& overridden() {
    static std::optional<bool> answer;
    return answer;
}

}  // namespace

bool notificationAreaAvailable() { return overridden().value_or(QSystemTrayIcon::isSystemTrayAvailable()); }

void overrideNotificationArea(std::optional<bool> available) { overridden() = available; }

}  // namespace tessavo::platform
