#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/wayland/WaylandKeyboard.h"
#include "platform/wayland/WaylandKeymap.h"

namespace tessavo::platform {

// A virtual keyboard on the seat of a Wayland compositor, on a connection of its own beside
// Qt's: the compositor's virtual-keyboard protocol.
class WaylandVirtualKeyboard final : public VirtualKeyboardOutput {
public:
    // Connects to the named display (nullptr: $WAYLAND_DISPLAY), reads the layout of the
    // seat's keyboard and makes the virtual keyboard; throws tessavo::Error when the display
    // cannot be reached or offers no seat or no virtual keyboards.
    explicit WaylandVirtualKeyboard(const char* displayName);
    ~WaylandVirtualKeyboard() override;
    WaylandVirtualKeyboard(const WaylandVirtualKeyboard&) = delete;
    WaylandVirtualKeyboard& operator=(const WaylandVirtualKeyboard&) = delete;

    // The layout of the seat's keyboard when it had a real one; none without a keyboard, or
    // when the last keyboard used was another program's virtual one (a keymap of a few keys).
    std::optional<WaylandKeymap>& seatKeymap();

    void keymap(const std::string& text) override;
    void key(KeyNumber key, bool press) override;
    void modifiers(const ModifierState& state) override;
    void roundTrip() override;
    void flush() override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tessavo::platform
