// KWin's fake input for the test harness, in a process of the desktop's own user: KWin offers
// it only to a program whose executable it can read, which a desktop run as nobody cannot for a
// test run as root. Reads one command a line from standard input:
//   key <kernel key code> <1 down | 0 up>
//   click <x> <y>          the left button at that point of the desktop
//   sync                   answered with "ok" once KWin has handled everything before it
//   tessavo_kwin_fake_input <Wayland socket>
// It prints "ready" once the fake input is bound, and ends at the end of its input.
#include <wayland-client.h>
#include <wayland-generated/fake-input-client-protocol.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

namespace {

constexpr std::uint32_t kLeftButton = 0x110;  // BTN_LEFT
constexpr std::uint32_t kReleased = 0;
constexpr std::uint32_t kPressed = 1;

struct DisplayDisconnect {
    void operator()(wl_display* display) const { wl_display_disconnect(display); }
};

void bindFakeInput(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
    auto** fakeInput = static_cast<org_kde_kwin_fake_input**>(data);
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) != 0 || *fakeInput) return;
    // Version 4 presses keys.
    *fakeInput =
        static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

void ignoreRemoval(void*, wl_registry*, std::uint32_t) {}

constexpr wl_registry_listener kRegistryListener{&bindFakeInput, &ignoreRemoval};

void run(wl_display* display, org_kde_kwin_fake_input* fakeInput, const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "key") {
        std::uint32_t key = 0;
        std::uint32_t state = 0;
        words >> key >> state;
        org_kde_kwin_fake_input_keyboard_key(fakeInput, key, state ? kPressed : kReleased);
    } else if (command == "click") {
        int x = 0;
        int y = 0;
        words >> x >> y;
        org_kde_kwin_fake_input_pointer_motion_absolute(fakeInput, wl_fixed_from_int(x), wl_fixed_from_int(y));
        wl_display_roundtrip(display);
        for (const std::uint32_t state : {kPressed, kReleased}) {
            org_kde_kwin_fake_input_button(fakeInput, kLeftButton, state);
            wl_display_roundtrip(display);
        }
    } else if (command == "sync") {
        wl_display_roundtrip(display);
        std::cout << "ok" << std::endl;
    }
    wl_display_flush(display);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::unique_ptr<wl_display, DisplayDisconnect> display(wl_display_connect(argv[1]));
    if (!display) {
        std::fprintf(stderr, "cannot connect to %s\n", argv[1]);
        return 1;
    }
    wl_registry* registry = wl_display_get_registry(display.get());
    org_kde_kwin_fake_input* fakeInput = nullptr;
    wl_registry_add_listener(registry, &kRegistryListener, &fakeInput);
    wl_display_roundtrip(display.get());
    if (!fakeInput) {
        std::fprintf(stderr, "KWin offers no fake input here\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fakeInput, "tessavo tests", "the user's keys and mouse");
    wl_display_roundtrip(display.get());
    std::cout << "ready" << std::endl;
    for (std::string line; std::getline(std::cin, line);) run(display.get(), fakeInput, line);
    org_kde_kwin_fake_input_destroy(fakeInput);
    wl_registry_destroy(registry);
    return 0;
}
