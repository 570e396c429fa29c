#pragma once

#include <QPoint>

#include "tests/support/ProgramOnXvfb.h"

namespace tessavo::test {

// Places in the windows' client areas, from their fixed layouts.
namespace place {
inline const QPoint kPasswordEntry(127, 59);  // login window: the entry (a click clears it)
inline const QPoint kExitButton(198, 99);     // login window: "退出"
inline const QPoint kHideButton(537, 555);    // main window: "最小化", bottom right
}  // namespace place

// The fixture of this tier, told where the build put the programs and where pictures go.
class EndToEnd : public ProgramOnXvfb {
protected:
    EndToEnd() : ProgramOnXvfb({QString::fromUtf8(TESSAVO_BIN_DIR), QString::fromUtf8(TESSAVO_SCREENSHOT_DIR)}) {}
};

}  // namespace tessavo::test
