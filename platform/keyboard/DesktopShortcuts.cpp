#include "platform/keyboard/DesktopShortcuts.h"

#include "platform/base/Logging.h"
#include "platform/base/ServiceSlot.h"
#include "platform/desktop/SessionKind.h"
#include "platform/portal/PortalShortcuts.h"

namespace tessavo::platform {
namespace {

// A desktop without shortcuts for us: the fill command bound to the desktop's own keys is the way.
class NoDesktopShortcuts final : public DesktopShortcuts {
public:
    void bind(const std::vector<Shortcut>&, Receiver) override {}
};

std::unique_ptr<DesktopShortcuts> makeDefault() {
    if (chosenFillPath() == FillPath::WaylandPortal) {
        if (auto shortcuts = makePortalShortcuts()) return shortcuts;
        qCDebug(lcPlatform, "the desktop portal has no global shortcuts: the fill command is the way");
    }
    return std::make_unique<NoDesktopShortcuts>();
}

ServiceSlot<DesktopShortcuts>& slot() {
    static ServiceSlot<DesktopShortcuts> instance(&makeDefault);
    return instance;
}

}  // namespace

DesktopShortcuts& desktopShortcuts() { return slot().get(); }

std::unique_ptr<DesktopShortcuts> installDesktopShortcuts(std::unique_ptr<DesktopShortcuts> replacement) {
    return slot().install(std::move(replacement));
}

}  // namespace tessavo::platform
