#include "platform/keyboard/GlobalHotkeys.h"

#include "platform/base/Error.h"
#include "platform/base/Logging.h"
#include "platform/base/ServiceSlot.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11Hotkeys.h"

namespace tessavo::platform {
namespace {

// Without a display server that has system-wide hotkeys nothing can be registered.
class NoHotkeys final : public GlobalHotkeys {
public:
    HotkeyRegistration registerHotKey(int, unsigned, std::uint8_t, Receiver) override {
        return HotkeyRegistration::NoHotkeys;
    }
    bool unregisterHotKey(int) override { return false; }
    void endHotkeyGrab() override {}
    bool available() const override { return false; }
};

std::unique_ptr<GlobalHotkeys> makeDefault() {
    // The grabs go to the display the program's windows are on.
    if (const std::string display = x11DisplayName(); !display.empty()) {
        try {
            return std::make_unique<X11Hotkeys>(display.c_str());
        } catch (const Error& error) {
            qCWarning(lcPlatform, "no global hotkeys, auto-fill cannot be started by a key: %s", error.what());
            return std::make_unique<NoHotkeys>();
        }
    }
    qCWarning(lcPlatform, "no global hotkeys: the program does not run on an X11 display");
    return std::make_unique<NoHotkeys>();
}

ServiceSlot<GlobalHotkeys>& slot() {
    static ServiceSlot<GlobalHotkeys> instance(&makeDefault);
    return instance;
}

}  // namespace

GlobalHotkeys& globalHotkeys() { return slot().get(); }

std::unique_ptr<GlobalHotkeys> installGlobalHotkeys(std::unique_ptr<GlobalHotkeys> replacement) {
    return slot().install(std::move(replacement));
}

}  // namespace tessavo::platform
