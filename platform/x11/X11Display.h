#pragma once

struct _XDisplay;

namespace tessavo::platform {

// The program's own X connection (Qt's), or nullptr when the program does not run on X11
// (the offscreen platform of the gui tests, Wayland).
_XDisplay* x11Display();

}  // namespace tessavo::platform
