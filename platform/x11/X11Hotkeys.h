#pragma once

#include <memory>

#include "platform/keyboard/GlobalHotkeys.h"

namespace tessavo::platform {

// Hotkeys on X11: passive key grabs on the root window, made on an X connection of their own
// that a socket notifier watches on the user-interface thread. Each combination is grabbed
// also with Caps Lock and Num Lock on, so the locks do not switch a hotkey off.
class X11Hotkeys final : public GlobalHotkeys {
public:
    // Opens the named display (nullptr: $DISPLAY); throws tessavo::Error when it cannot.
    // Needs a QCoreApplication for the notifier.
    explicit X11Hotkeys(const char* displayName = nullptr);
    ~X11Hotkeys() override;
    X11Hotkeys(const X11Hotkeys&) = delete;
    X11Hotkeys& operator=(const X11Hotkeys&) = delete;

    HotkeyRegistration registerHotKey(int id, unsigned modifiers, std::uint8_t vk, Receiver receiver) override;
    bool unregisterHotKey(int id) override;
    void endHotkeyGrab() override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tessavo::platform
