#include "platform/wayland/WaylandClipboard.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <wayland-generated/wlr-data-control-unstable-v1-client-protocol.h>

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "platform/base/Error.h"
#include "platform/base/FdIo.h"
#include "platform/base/Logging.h"
#include "platform/base/UniqueFd.h"
#include "platform/base/Wipe.h"
#include "platform/wayland/WaylandHandles.h"
#include "platform/wayland/WaylandProbe.h"

namespace tessavo::platform {
namespace {

using ManagerHandle = WaylandHandle<zwlr_data_control_manager_v1, zwlr_data_control_manager_v1_destroy>;
using DeviceHandle = WaylandHandle<zwlr_data_control_device_v1, zwlr_data_control_device_v1_destroy>;
using SourceHandle = WaylandHandle<zwlr_data_control_source_v1, zwlr_data_control_source_v1_destroy>;

constexpr std::uint32_t kManagerVersion = 2;  // 2 adds the primary selection
constexpr char kSecretHint[] = "x-kde-passwordManagerHint";
// What text is offered as: the Wayland names, then the X11 ones Xwayland's programs ask for.
constexpr const char* kTextTypes[] = {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING", "STRING", "TEXT"};
// A program that asked for the text but does not read it is given up on after this long.
constexpr int kWriteWaitMilliseconds = 2000;

[[noreturn]] void unavailable(const std::string& reason) {
    qCWarning(lcPlatform, "no Wayland clipboard: %s", reason.c_str());
    throw Error(reason);
}

// The globals the clipboard needs, as the registry announces them.
struct Globals {
    SeatHandle seat;
    ManagerHandle manager;
};

void announce(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
    auto& globals = *static_cast<Globals*>(data);
    if (!globals.manager && std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0) {
        globals.manager.reset(static_cast<zwlr_data_control_manager_v1*>(wl_registry_bind(
            registry, name, &zwlr_data_control_manager_v1_interface, std::min(version, kManagerVersion))));
    } else if (!globals.seat && std::strcmp(interface, wl_seat_interface.name) == 0) {
        globals.seat.reset(static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1)));
    }
}

void forget(void*, wl_registry*, std::uint32_t) {}

constexpr wl_registry_listener kRegistryListener = {announce, forget};

}  // namespace

struct WaylandClipboard::Impl {
    DisplayHandle display;
    RegistryHandle registry;
    Globals globals;
    DeviceHandle device;
    UniqueFd stop;
    std::thread server;

    // What the thread serving pastes shares with the callers.
    std::mutex mutex;
    SourceHandle source;  // the clipboard copy this program offers now
    QByteArray text;      // and its UTF-8 text
    bool deviceFinished = false;

    void serve();
    void sync();
    void offer(zwlr_data_control_source_v1* from, const char* type, int fd);
    void cancel(zwlr_data_control_source_v1* cancelled);
    void dropSourceLocked();

    static const zwlr_data_control_source_v1_listener kSourceListener;
    static const zwlr_data_control_device_v1_listener kDeviceListener;
};

const zwlr_data_control_source_v1_listener WaylandClipboard::Impl::kSourceListener = {
    [](void* data, zwlr_data_control_source_v1* source, const char* type, std::int32_t fd) {
        static_cast<Impl*>(data)->offer(source, type, fd);
    },
    [](void* data, zwlr_data_control_source_v1* source) { static_cast<Impl*>(data)->cancel(source); },
};

// Other programs' offers are not read: each is let go of as it is announced.
const zwlr_data_control_device_v1_listener WaylandClipboard::Impl::kDeviceListener = {
    [](void*, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
        zwlr_data_control_offer_v1_destroy(offer);
    },
    [](void*, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1*) {},
    [](void* data, zwlr_data_control_device_v1*) {
        auto* impl = static_cast<Impl*>(data);
        const std::lock_guard lock(impl->mutex);
        impl->deviceFinished = true;  // the seat is gone
    },
    [](void*, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1*) {},
};

void WaylandClipboard::Impl::offer(zwlr_data_control_source_v1* from, const char* type, int fd) {
    const UniqueFd pipe(fd);
    const std::lock_guard lock(mutex);
    if (from != source.get()) return;  // a copy already replaced
    const QByteArray bytes = std::strcmp(type, kSecretHint) == 0 ? QByteArrayLiteral("secret") : text;
    writeAll(pipe.get(), std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
             kWriteWaitMilliseconds);
}

void WaylandClipboard::Impl::cancel(zwlr_data_control_source_v1* cancelled) {
    const std::lock_guard lock(mutex);
    if (cancelled == source.get()) dropSourceLocked();  // another program's copy replaced ours
}

void WaylandClipboard::Impl::dropSourceLocked() {
    source.reset();
    wipe(text);
    text.clear();
}

// Reads and dispatches the connection's events until told to stop or the compositor goes.
void WaylandClipboard::Impl::serve() {
    wl_display* const connection = display.get();
    for (;;) {
        while (wl_display_prepare_read(connection) != 0)
            if (wl_display_dispatch_pending(connection) < 0) return;
        wl_display_flush(connection);
        pollfd fds[] = {{wl_display_get_fd(connection), POLLIN, 0}, {stop.get(), POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            wl_display_cancel_read(connection);
            return;
        }
        if (fds[1].revents != 0) {
            wl_display_cancel_read(connection);
            return;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            if (wl_display_read_events(connection) < 0) return;
        } else {
            wl_display_cancel_read(connection);
            if ((fds[0].revents & (POLLERR | POLLHUP)) != 0) return;
        }
        if (wl_display_dispatch_pending(connection) < 0) return;
    }
}

// Waits until the compositor has handled every request sent so far. The serving thread owns the
// connection's default queue, so the answer comes on a queue of the caller's own.
void WaylandClipboard::Impl::sync() {
    wl_display* const connection = display.get();
    wl_event_queue* const queue = wl_display_create_queue(connection);
    auto* const wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(connection));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
    bool done = false;
    static constexpr wl_callback_listener kDone = {
        [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }};
    wl_callback* const callback = wl_display_sync(wrapper);
    wl_callback_add_listener(callback, &kDone, &done);
    while (!done && wl_display_dispatch_queue(connection, queue) >= 0) {
    }
    wl_callback_destroy(callback);
    wl_proxy_wrapper_destroy(wrapper);
    wl_event_queue_destroy(queue);
}

WaylandClipboard::WaylandClipboard(const char* displayName) : impl_(std::make_unique<Impl>()) {
    impl_->display.reset(wl_display_connect(displayName));
    if (!impl_->display) unavailable("cannot connect to the Wayland display");
    impl_->registry.reset(wl_display_get_registry(impl_->display.get()));
    wl_registry_add_listener(impl_->registry.get(), &kRegistryListener, &impl_->globals);
    if (wl_display_roundtrip(impl_->display.get()) < 0) unavailable("the Wayland display does not answer");
    if (!impl_->globals.manager) unavailable("the compositor offers no data control");
    if (!impl_->globals.seat) unavailable("the compositor offers no seat");
    impl_->device.reset(
        zwlr_data_control_manager_v1_get_data_device(impl_->globals.manager.get(), impl_->globals.seat.get()));
    zwlr_data_control_device_v1_add_listener(impl_->device.get(), &Impl::kDeviceListener, impl_.get());
    if (wl_display_roundtrip(impl_->display.get()) < 0) unavailable("the Wayland display does not answer");

    impl_->stop = UniqueFd(eventfd(0, EFD_CLOEXEC));
    if (!impl_->stop.valid()) unavailable(std::string("no event file: ") + std::strerror(errno));
    impl_->server = std::thread([impl = impl_.get()] { impl->serve(); });
    qCDebug(lcPlatform, "the clipboard is the Wayland compositor's, through data control");
}

WaylandClipboard::~WaylandClipboard() {
    const std::uint64_t one = 1;
    if (write(impl_->stop.get(), &one, sizeof one) != sizeof one) qCWarning(lcPlatform, "cannot stop the clipboard");
    impl_->server.join();
    {
        const std::lock_guard lock(impl_->mutex);
        impl_->dropSourceLocked();
    }
    impl_->device.reset();
    impl_->globals = Globals{};
    impl_->registry.reset();
    wl_display_flush(impl_->display.get());
}

bool WaylandClipboard::offeredBy(const char* displayName) {
    return waylandOffers(displayName, zwlr_data_control_manager_v1_interface);
}

void WaylandClipboard::setText(const QString& text, bool secret) {
    {
        const std::lock_guard lock(impl_->mutex);
        if (impl_->deviceFinished) return;
        impl_->dropSourceLocked();
        impl_->source.reset(zwlr_data_control_manager_v1_create_data_source(impl_->globals.manager.get()));
        zwlr_data_control_source_v1_add_listener(impl_->source.get(), &Impl::kSourceListener, impl_.get());
        for (const char* type : kTextTypes) zwlr_data_control_source_v1_offer(impl_->source.get(), type);
        if (secret) zwlr_data_control_source_v1_offer(impl_->source.get(), kSecretHint);
        impl_->text = text.toUtf8();
        zwlr_data_control_device_v1_set_selection(impl_->device.get(), impl_->source.get());
    }
    impl_->sync();
}

void WaylandClipboard::empty() {
    {
        const std::lock_guard lock(impl_->mutex);
        if (impl_->deviceFinished) return;
        zwlr_data_control_device_v1_set_selection(impl_->device.get(), nullptr);
        if (zwlr_data_control_device_v1_get_version(impl_->device.get()) >=
            ZWLR_DATA_CONTROL_DEVICE_V1_SET_PRIMARY_SELECTION_SINCE_VERSION)
            zwlr_data_control_device_v1_set_primary_selection(impl_->device.get(), nullptr);
        impl_->dropSourceLocked();
    }
    impl_->sync();
}

}  // namespace tessavo::platform
