#include "platform/keyboard/FocusedWindow.h"

#include "platform/base/ServiceSlot.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11FocusedWindow.h"

namespace tessavo::platform {
namespace {

// Where the program's windows are not on X11 no other program's window can be told.
class UnknownFocus final : public FocusedWindow {
public:
    std::optional<WindowClass> focusedWindowClass() override { return std::nullopt; }
};

std::unique_ptr<FocusedWindow> makeDefault() {
    if (x11Display()) return std::make_unique<X11FocusedWindow>();
    return std::make_unique<UnknownFocus>();
}

ServiceSlot<FocusedWindow>& slot() {
    static ServiceSlot<FocusedWindow> instance(&makeDefault);
    return instance;
}

}  // namespace

FocusedWindow& focusedWindow() { return slot().get(); }

std::unique_ptr<FocusedWindow> installFocusedWindow(std::unique_ptr<FocusedWindow> replacement) {
    return slot().install(std::move(replacement));
}

}  // namespace tessavo::platform
