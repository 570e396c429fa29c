#pragma once

#include "platform/keyboard/FocusedWindow.h"

namespace tessavo::platform {

// The focus as the X server of the program's windows holds it. The focus may rest on a child of
// the program's top-level window (xterm's text area): the class is looked for from there upwards.
class X11FocusedWindow final : public FocusedWindow {
public:
    std::optional<WindowClass> focusedWindowClass() override;
};

}  // namespace tessavo::platform
