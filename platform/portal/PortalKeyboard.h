#pragma once

#include <QDBusConnection>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "platform/keyboard/Keyboard.h"
#include "platform/portal/PortalKeys.h"
#include "platform/portal/PortalRemoteDesktop.h"
#include "platform/wayland/WaylandKeymap.h"

namespace tessavo::platform {

// The keyboard of a Wayland desktop that lets programs type only through the desktop portal
// (GNOME, KDE): one remote-desktop session for the program's life, asked for when the keyboard
// is made, and every key event as a keysym the desktop finds the key for. The portal shows
// no key state, so the keyboard state is the object's own array and nothing is waited for.
class PortalKeyboard final : public Keyboard {
public:
    // The layout the desktop types with, read afresh before each fill; none when unknown.
    using DesktopKeymap = std::function<std::optional<WaylandKeymap>()>;

    // Asks the portal on the bus for the keyboard; the answer comes through the event loop. The
    // desktop's layout is by default the Wayland seat's of $WAYLAND_DISPLAY; restoreTokenFile
    // keeps the portal's token for the answer (none: the desktop asks at every start).
    explicit PortalKeyboard(const QDBusConnection& bus, DesktopKeymap desktopKeymap = seatKeymapOfTheSession,
                            QString restoreTokenFile = {});
    // Lets go of any key still down and closes the session.
    ~PortalKeyboard() override;
    PortalKeyboard(const PortalKeyboard&) = delete;
    PortalKeyboard& operator=(const PortalKeyboard&) = delete;

    void keybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override;
    std::uint32_t mapVirtualKey(std::uint8_t vk) override;
    std::uint16_t vkKeyScan(char16_t ch) override;
    bool keyToggled(std::uint8_t vk) override { return state_[vk] & 1; }
    State keyboardState() override { return state_; }
    void setKeyboardState(const State& state) override { state_ = state; }
    void drainOwnKeyboardMessages() override {}
    void sleep(int milliseconds) override;
    void beginTyping() override;
    void endTyping() override;
    bool waitForModifiersReleased(int maxMilliseconds) override;
    TypingAccess typingAccess() override { return session_.access(); }
    // The desktop takes any keysym and drops those its layout lacks without a word.
    std::u16string charactersItLacks(std::u16string_view characters) override;

    static std::optional<WaylandKeymap> seatKeymapOfTheSession();

    // The session, for those who wait for the desktop's answer.
    PortalRemoteDesktop& session() { return session_; }

private:
    void releaseAll();

    PortalRemoteDesktop session_;
    DesktopKeymap desktopKeymap_;
    PortalKeys keys_;
    State state_{};
    std::array<KeySymbol, 256> down_{};  // virtual key -> the keysym it went down as
    int typingDepth_ = 0;
};

// The keyboard through the portal on the session bus, its restore token kept beside the
// settings file Config.ini, in the application's folder.
std::unique_ptr<Keyboard> makePortalKeyboard();

}  // namespace tessavo::platform
