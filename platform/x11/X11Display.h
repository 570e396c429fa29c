#pragma once

#include <string>

struct _XDisplay;

namespace tessavo::platform {

// The program's own X connection (Qt's), or nullptr when the program does not run on X11
// (the offscreen platform of the gui tests, Wayland).
_XDisplay* x11Display();

// The name of the program's X display (":1", "host:0.0"), empty when the program does not run
// on X11.
std::string x11DisplayName();

// Gives up the clipboard and the primary selection on the program's display; nothing to do when
// the program does not run on X11.
void clearX11Selections();

}  // namespace tessavo::platform
