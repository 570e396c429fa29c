#pragma once

#include <QProcess>
#include <QString>
#include <optional>

#include "tests/support/X11Desktop.h"

namespace tessavo::test {

// A notification area on the test's X server: the tray panel `trayer`, started before the
// program so that its icon has a place, ended with the object.
class TrayHost {
public:
    // Throws std::runtime_error when the panel does not take the tray selection in time.
    explicit TrayHost(const X11Desktop& desktop);
    ~TrayHost();
    TrayHost(const TrayHost&) = delete;
    TrayHost& operator=(const TrayHost&) = delete;

    // The shown icon window of that title embedded in the panel.
    std::optional<XWindowId> icon(const QString& title) const;

private:
    const X11Desktop& desktop_;
    QProcess process_;
};

}  // namespace tessavo::test
