#pragma once

#include <wayland-client.h>

namespace tessavo::platform {

// Whether the named Wayland display (nullptr: $WAYLAND_DISPLAY) can be reached and announces
// the global `global`, without binding anything.
bool waylandOffers(const char* displayName, const wl_interface& global);

}  // namespace tessavo::platform
