#pragma once

#include <optional>

#include "platform/wayland/WaylandKeymap.h"

struct wl_display;
struct wl_seat;

namespace tessavo::platform {

// The keymap a seat's keyboard sends its clients, read on the connection: none when the seat
// has no keyboard or its keymap cannot be read. The seat sends it at once, to any client.
std::optional<WaylandKeymap> readSeatKeymap(wl_display* display, wl_seat* seat);

// The keymap of the first seat of the named display (nullptr: $WAYLAND_DISPLAY), on a
// connection of its own made for the look; none when the display cannot be reached.
std::optional<WaylandKeymap> seatKeymapOf(const char* displayName);

}  // namespace tessavo::platform
