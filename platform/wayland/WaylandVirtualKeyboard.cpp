#include "platform/wayland/WaylandVirtualKeyboard.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wayland-generated/virtual-keyboard-unstable-v1-client-protocol.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/base/Error.h"
#include "platform/base/FdIo.h"
#include "platform/base/Logging.h"
#include "platform/base/UniqueFd.h"
#include "platform/wayland/WaylandHandles.h"
#include "platform/wayland/WaylandProbe.h"
#include "platform/wayland/WaylandSeatKeymap.h"

namespace tessavo::platform {
namespace {

using ManagerHandle = WaylandHandle<zwp_virtual_keyboard_manager_v1, zwp_virtual_keyboard_manager_v1_destroy>;
using VirtualKeyboardHandle = WaylandHandle<zwp_virtual_keyboard_v1, zwp_virtual_keyboard_v1_destroy>;

[[noreturn]] void cannotType(const std::string& reason) {
    qCWarning(lcAutofill, "no keystrokes can be sent on Wayland: %s", reason.c_str());
    throw Error(reason);
}

DisplayHandle connectTo(const char* displayName) {
    DisplayHandle display(wl_display_connect(displayName));
    if (!display) cannotType("cannot connect to the Wayland display for typing");
    return display;
}

// The globals the keyboard needs, as the registry announces them.
struct Globals {
    SeatHandle seat;
    ManagerHandle manager;

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        auto* globals = static_cast<Globals*>(data);
        if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0 && !globals->manager) {
            globals->manager.reset(static_cast<zwp_virtual_keyboard_manager_v1*>(
                wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1)));
        } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat) {
            // The first seat is the user's; version 4 brings everything the keyboard sends.
            globals->seat.reset(
                static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, 4u))));
        }
    }
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}
    static constexpr wl_registry_listener kListener{&Globals::global, &Globals::globalRemove};
};

// A keymap of a real keyboard names the keys any layout has; a virtual keyboard of another
// program (a key-pressing tool) carries only the few keys it pressed.
bool isWholeLayout(const WaylandKeymap& keymap) {
    for (const KeySymbol keysym : {XKB_KEY_Return, XKB_KEY_BackSpace, XKB_KEY_Tab, XKB_KEY_Shift_L, XKB_KEY_Control_L,
                                   XKB_KEY_Left, XKB_KEY_Right, XKB_KEY_Delete}) {
        if (keymap.keyFor(keysym) == 0) return false;
    }
    return true;
}

std::uint32_t millisecondsNow() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace

struct WaylandVirtualKeyboard::Impl {
    DisplayHandle display;
    Globals globals;
    RegistryHandle registry;
    VirtualKeyboardHandle keyboard;
    std::optional<WaylandKeymap> seatKeymap;

    void roundTrip() {
        if (wl_display_roundtrip(display.get()) < 0) {
            qCWarning(lcAutofill, "the Wayland compositor closed the typing connection");
        }
    }

    void readSeatKeymap() {
        std::optional<WaylandKeymap> keymap = platform::readSeatKeymap(display.get(), globals.seat.get());
        if (keymap && isWholeLayout(*keymap)) seatKeymap = std::move(keymap);
    }
};

WaylandVirtualKeyboard::WaylandVirtualKeyboard(const char* displayName) : impl_(std::make_unique<Impl>()) {
    impl_->display = connectTo(displayName);
    impl_->registry.reset(wl_display_get_registry(impl_->display.get()));
    wl_registry_add_listener(impl_->registry.get(), &Globals::kListener, &impl_->globals);
    if (wl_display_roundtrip(impl_->display.get()) < 0) cannotType("the Wayland display does not answer");
    if (!impl_->globals.seat) cannotType("the Wayland compositor offers no seat");
    if (!impl_->globals.manager) cannotType("the Wayland compositor offers no virtual keyboard");
    impl_->readSeatKeymap();
    impl_->keyboard.reset(zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(impl_->globals.manager.get(),
                                                                                  impl_->globals.seat.get()));
    impl_->roundTrip();
}

WaylandVirtualKeyboard::~WaylandVirtualKeyboard() {
    // The keyboard goes before the connection; a last round trip lets the compositor take it.
    if (impl_->keyboard) {
        impl_->keyboard.reset();
        wl_display_flush(impl_->display.get());
    }
}

std::optional<WaylandKeymap>& WaylandVirtualKeyboard::seatKeymap() { return impl_->seatKeymap; }

void WaylandVirtualKeyboard::keymap(const std::string& text) {
    UniqueFd file(memfd_create("tessavo-keymap", MFD_CLOEXEC));
    if (!file.valid()) throw Error(std::string("no memory file for the keymap: ") + std::strerror(errno));
    if (!writeAll(file.get(), text)) throw Error(std::string("the keymap cannot be written: ") + std::strerror(errno));
    zwp_virtual_keyboard_v1_keymap(impl_->keyboard.get(), WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, file.get(),
                                   static_cast<std::uint32_t>(text.size()));
}

void WaylandVirtualKeyboard::key(KeyNumber key, bool press) {
    // The protocol carries evdev numbers: xkb keycodes less 8.
    zwp_virtual_keyboard_v1_key(impl_->keyboard.get(), millisecondsNow(), key - 8u,
                                press ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
}

void WaylandVirtualKeyboard::modifiers(const ModifierState& state) {
    zwp_virtual_keyboard_v1_modifiers(impl_->keyboard.get(), state.depressed, state.latched, state.locked, state.group);
}

void WaylandVirtualKeyboard::roundTrip() { impl_->roundTrip(); }

void WaylandVirtualKeyboard::flush() { wl_display_flush(impl_->display.get()); }

bool waylandOffersVirtualKeyboard(const char* displayName) {
    return waylandOffers(displayName, zwp_virtual_keyboard_manager_v1_interface);
}

}  // namespace tessavo::platform
