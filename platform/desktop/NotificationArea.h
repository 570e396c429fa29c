#pragma once

#include <optional>

namespace tessavo::platform {

// Whether the desktop shows tray icons now: a StatusNotifierItem host on the session bus or an
// XEmbed tray on the X display. Without one the program's icon shows nowhere.
bool notificationAreaAvailable();

// Tests decide the answer; std::nullopt brings back the desktop's.
void overrideNotificationArea(std::optional<bool> available);

}  // namespace tessavo::platform
