#include "tests/support/TrayHost.h"

#include <QProcessEnvironment>
#include <stdexcept>

#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

// The selection a tray host owns on screen 0 (freedesktop system tray protocol).
constexpr const char* kTraySelection = "_NET_SYSTEM_TRAY_S0";
// The title of trayer's panel window, the parent of every embedded icon.
const QString kPanelTitle = QStringLiteral("panel");

}  // namespace

TrayHost::TrayHost(const X11Desktop& desktop) : desktop_(desktop) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromStdString(desktop.displayName()));
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.start(
        QStringLiteral("trayer"),
        {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"), QStringLiteral("right"),
         QStringLiteral("--widthtype"), QStringLiteral("request"), QStringLiteral("--height"), QStringLiteral("24")});
    if (!process_.waitForStarted(int(kPatience.count()))) throw std::runtime_error("cannot start trayer");
    if (!waitUntil([&] { return desktop_.selectionOwned(kTraySelection); }))
        throw std::runtime_error("trayer did not take the tray selection in time");
}

TrayHost::~TrayHost() {
    process_.kill();
    process_.waitForFinished(int(kPatience.count()));
}

std::optional<XWindowId> TrayHost::icon(const QString& title) const {
    for (const XWindowId panel : desktop_.topLevelWindows(kPanelTitle)) {
        if (auto found = desktop_.shownDescendant(panel, title)) return found;
    }
    return std::nullopt;
}

}  // namespace tessavo::test
