#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace tessavo::platform {

// Shortcuts the desktop itself catches and tells us of (KDE's global-shortcuts portal), for a
// session where our own key grabs reach no window.
class DesktopShortcuts {
public:
    struct Shortcut {
        QString id;           // stays the same from start to start: the desktop keeps the user's keys by it
        QString description;  // what the desktop's settings show
        QString trigger;      // the keys we would like, as "CTRL+Left"
    };
    // Gets the index of the shortcut used, from the event loop.
    using Receiver = std::function<void(std::size_t index)>;

    virtual ~DesktopShortcuts() = default;
    // Asks the desktop for the shortcuts the first time; later calls only replace the receiver.
    virtual void bind(const std::vector<Shortcut>& shortcuts, Receiver receiver) = 0;
};

// The desktop's shortcuts: the portal's where the session's fill path is the portal and it
// offers them, else none (binding does nothing), unless a test installed others.
DesktopShortcuts& desktopShortcuts();
// Replaces the shortcuts (nullptr brings back the real ones); returns the previous ones.
std::unique_ptr<DesktopShortcuts> installDesktopShortcuts(std::unique_ptr<DesktopShortcuts> replacement);

}  // namespace tessavo::platform
