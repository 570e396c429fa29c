#pragma once

#include <wayland-client.h>

#include <memory>

namespace tessavo::platform {

// An owned Wayland object, destroyed (or disconnected) with the handle.
template <typename T, void (*destroy)(T*)>
struct WaylandDestroy {
    void operator()(T* object) const { destroy(object); }
};
template <typename T, void (*destroy)(T*)>
using WaylandHandle = std::unique_ptr<T, WaylandDestroy<T, destroy>>;

using DisplayHandle = WaylandHandle<wl_display, wl_display_disconnect>;
using RegistryHandle = WaylandHandle<wl_registry, wl_registry_destroy>;
using SeatHandle = WaylandHandle<wl_seat, wl_seat_destroy>;

}  // namespace tessavo::platform
