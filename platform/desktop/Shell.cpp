#include "platform/desktop/Shell.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/base/ServiceSlot.h"

namespace tessavo::platform {
namespace {

class DesktopShell final : public Shell {
public:
    void openUrl(const QString& address) override {
        // The outcome is not examined: a missing browser is not reported.
        QDesktopServices::openUrl(QUrl::fromUserInput(address));
    }
};

ServiceSlot<Shell>& slot() {
    static ServiceSlot<Shell> instance([]() -> std::unique_ptr<Shell> { return std::make_unique<DesktopShell>(); });
    return instance;
}

}  // namespace

Shell& shell() { return slot().get(); }

std::unique_ptr<Shell> installShell(std::unique_ptr<Shell> replacement) {
    return slot().install(std::move(replacement));
}

}  // namespace tessavo::platform
