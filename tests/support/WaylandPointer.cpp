#include "tests/support/WaylandPointer.h"

#include <wayland-client.h>
#include <wayland-generated/wlr-virtual-pointer-unstable-v1-client-protocol.h>

#include <chrono>
#include <cstring>
#include <stdexcept>

namespace tessavo::test {
namespace {

constexpr std::uint32_t kLeftButton = 0x110;  // BTN_LEFT

std::uint32_t millisecondsNow() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;

    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
        auto* globals = static_cast<Globals*>(data);
        if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat) {
            globals->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
            globals->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
        }
    }
    static void globalRemove(void*, wl_registry*, std::uint32_t) {}
};

constexpr wl_registry_listener kRegistryListener{&Globals::global, &Globals::globalRemove};

}  // namespace

struct WaylandPointer::Impl {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    Globals globals;
    zwlr_virtual_pointer_v1* pointer = nullptr;
    QSize outputSize;

    ~Impl() {
        if (pointer) zwlr_virtual_pointer_v1_destroy(pointer);
        if (globals.manager) zwlr_virtual_pointer_manager_v1_destroy(globals.manager);
        if (globals.seat) wl_seat_destroy(globals.seat);
        if (registry) wl_registry_destroy(registry);
        if (display) wl_display_disconnect(display);
    }

    void button(std::uint32_t state) {
        zwlr_virtual_pointer_v1_button(pointer, millisecondsNow(), kLeftButton, state);
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
    }
};

WaylandPointer::WaylandPointer(const QString& waylandSocket, QSize outputSize) : impl_(std::make_unique<Impl>()) {
    impl_->outputSize = outputSize;
    impl_->display = wl_display_connect(waylandSocket.toLocal8Bit().constData());
    if (!impl_->display) throw std::runtime_error("cannot connect to " + waylandSocket.toStdString());
    impl_->registry = wl_display_get_registry(impl_->display);
    wl_registry_add_listener(impl_->registry, &kRegistryListener, &impl_->globals);
    wl_display_roundtrip(impl_->display);
    if (!impl_->globals.manager) throw std::runtime_error("the compositor offers no virtual pointer");
    impl_->pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(impl_->globals.manager, impl_->globals.seat);
    wl_display_roundtrip(impl_->display);
}

WaylandPointer::~WaylandPointer() = default;

void WaylandPointer::click(QPoint at) {
    zwlr_virtual_pointer_v1_motion_absolute(
        impl_->pointer, millisecondsNow(), static_cast<std::uint32_t>(at.x()), static_cast<std::uint32_t>(at.y()),
        static_cast<std::uint32_t>(impl_->outputSize.width()), static_cast<std::uint32_t>(impl_->outputSize.height()));
    zwlr_virtual_pointer_v1_frame(impl_->pointer);
    wl_display_roundtrip(impl_->display);
    impl_->button(WL_POINTER_BUTTON_STATE_PRESSED);
    impl_->button(WL_POINTER_BUTTON_STATE_RELEASED);
}

}  // namespace tessavo::test
