#include "platform/wayland/WaylandProbe.h"

#include <cstdint>
#include <cstring>

#include "platform/wayland/WaylandHandles.h"

namespace tessavo::platform {
namespace {

struct Probe {
    const char* interface;
    bool offered = false;
};

void announce(void* data, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
    auto& probe = *static_cast<Probe*>(data);
    if (std::strcmp(interface, probe.interface) == 0) probe.offered = true;
}

void forget(void*, wl_registry*, std::uint32_t) {}

constexpr wl_registry_listener kProbeListener = {announce, forget};

}  // namespace

bool waylandOffers(const char* displayName, const wl_interface& global) {
    const DisplayHandle display(wl_display_connect(displayName));
    if (!display) return false;
    Probe probe{global.name};
    const RegistryHandle registry(wl_display_get_registry(display.get()));
    wl_registry_add_listener(registry.get(), &kProbeListener, &probe);
    return wl_display_roundtrip(display.get()) >= 0 && probe.offered;
}

}  // namespace tessavo::platform
