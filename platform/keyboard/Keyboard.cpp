#include "platform/keyboard/Keyboard.h"

#include "platform/base/Error.h"
#include "platform/base/ServiceSlot.h"
#include "platform/desktop/SessionKind.h"
#include "platform/portal/PortalKeyboard.h"
#include "platform/wayland/WaylandKeyboard.h"
#include "platform/x11/X11Keyboard.h"

namespace tessavo::platform {
namespace {

ServiceSlot<Keyboard>& slot() {
    static ServiceSlot<Keyboard> instance([]() -> std::unique_ptr<Keyboard> {
        if (chosenFillPath() == FillPath::WaylandWlroots) return WaylandKeyboard::connect();
        if (chosenFillPath() == FillPath::WaylandPortal) {
            return makePortalKeyboard();
        }
        return std::make_unique<X11Keyboard>();
    });
    return instance;
}

}  // namespace

Keyboard& keyboard() { return slot().get(); }

void prepareKeyboard() {
    // The portal's keyboard asks the desktop for permission: once for the program's life, at
    // start rather than in the middle of the first fill.
    const FillPath path = chosenFillPath();
    if (path != FillPath::WaylandWlroots && path != FillPath::WaylandPortal) return;
    try {
        keyboard();
    } catch (const Error&) {
        // Logged where it failed; the first fill tries again and shows the reason.
    }
}

std::unique_ptr<Keyboard> installKeyboard(std::unique_ptr<Keyboard> replacement) {
    return slot().install(std::move(replacement));
}

}  // namespace tessavo::platform
