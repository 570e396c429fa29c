#include "platform/wayland/WaylandSeatKeymap.h"

#include <sys/mman.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/base/Error.h"
#include "platform/base/Logging.h"
#include "platform/base/UniqueFd.h"
#include "platform/wayland/WaylandHandles.h"

namespace tessavo::platform {
namespace {

// A seat's keyboard from version 3 on is released, so that the compositor forgets it too.
void releaseKeyboard(wl_keyboard* keyboard) {
    if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
        wl_keyboard_release(keyboard);
    } else {
        wl_keyboard_destroy(keyboard);
    }
}
using SeatKeyboardHandle = WaylandHandle<wl_keyboard, releaseKeyboard>;

struct SeatKeyboard {
    std::uint32_t capabilities = 0;
    std::string keymapText;

    // The seat may tell of changes for as long as the connection lasts, after the reading is
    // over: it then has no data to write to.
    static void capabilitiesChanged(void* data, wl_seat*, std::uint32_t capabilities) {
        if (data) static_cast<SeatKeyboard*>(data)->capabilities = capabilities;
    }
    static void seatName(void*, wl_seat*, const char*) {}
    static constexpr wl_seat_listener kSeatListener{&SeatKeyboard::capabilitiesChanged, &SeatKeyboard::seatName};

    static void keymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size) {
        const UniqueFd file(fd);
        if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 || size == 0) return;
        void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.get(), 0);
        if (mapped == MAP_FAILED) return;
        const char* text = static_cast<const char*>(mapped);
        static_cast<SeatKeyboard*>(data)->keymapText.assign(text, strnlen(text, size));
        munmap(mapped, size);
    }
    static void enter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
    static void leave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
    static void key(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
    static void modifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                          std::uint32_t) {}
    static void repeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
    static constexpr wl_keyboard_listener kKeyboardListener{&SeatKeyboard::keymap,    &SeatKeyboard::enter,
                                                            &SeatKeyboard::leave,     &SeatKeyboard::key,
                                                            &SeatKeyboard::modifiers, &SeatKeyboard::repeatInfo};
};

// The first seat the registry announces: the user's.
struct FirstSeat {
    SeatHandle seat;

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        auto* first = static_cast<FirstSeat*>(data);
        if (std::strcmp(interface, wl_seat_interface.name) != 0 || first->seat) return;
        first->seat.reset(
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, 4u))));
    }
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}
    static constexpr wl_registry_listener kListener{&FirstSeat::global, &FirstSeat::globalRemove};
};

std::string seatKeymapText(wl_display* display, wl_seat* seat) {
    SeatKeyboard seatKeyboard;
    wl_seat_add_listener(seat, &SeatKeyboard::kSeatListener, &seatKeyboard);
    const bool answered = wl_display_roundtrip(display) >= 0;
    if (answered && (seatKeyboard.capabilities & WL_SEAT_CAPABILITY_KEYBOARD)) {
        // Released before the reading ends: no event of it comes afterwards.
        const SeatKeyboardHandle keyboard(wl_seat_get_keyboard(seat));
        wl_keyboard_add_listener(keyboard.get(), &SeatKeyboard::kKeyboardListener, &seatKeyboard);
        wl_display_roundtrip(display);
    }
    wl_seat_set_user_data(seat, nullptr);
    return std::move(seatKeyboard.keymapText);
}

}  // namespace

std::optional<WaylandKeymap> readSeatKeymap(wl_display* display, wl_seat* seat) {
    const std::string text = seatKeymapText(display, seat);
    if (text.empty()) return std::nullopt;
    try {
        return WaylandKeymap::fromText(text);
    } catch (const Error&) {
        qCWarning(lcPlatform, "the keyboard layout of the Wayland seat cannot be read");
        return std::nullopt;
    }
}

std::optional<WaylandKeymap> seatKeymapOf(const char* displayName) {
    const DisplayHandle display(wl_display_connect(displayName));
    if (!display) return std::nullopt;
    FirstSeat first;
    const RegistryHandle registry(wl_display_get_registry(display.get()));
    wl_registry_add_listener(registry.get(), &FirstSeat::kListener, &first);
    if (wl_display_roundtrip(display.get()) < 0 || !first.seat) return std::nullopt;
    std::optional<WaylandKeymap> keymap = readSeatKeymap(display.get(), first.seat.get());
    // The seat and the registry go before the connection.
    first.seat.reset();
    return keymap;
}

}  // namespace tessavo::platform
