#pragma once

#include <QString>
#include <memory>
#include <optional>

namespace tessavo::platform {

// The names a program gives its top-level window (X11's WM_CLASS): its instance name ("xterm")
// and its class name ("XTerm").
struct WindowClass {
    QString instance;
    QString className;
};

// Which program's window has the keyboard focus, so that a paste can use that program's own key.
class FocusedWindow {
public:
    virtual ~FocusedWindow() = default;
    // The class of the top-level window that has the keyboard focus; none when no window has it,
    // the window names no class, or the display cannot tell (a native Wayland window).
    virtual std::optional<WindowClass> focusedWindowClass() = 0;
};

// The program's view of the focus: the X11 one when the program runs on X11 (Xwayland too, where
// only X11 windows can be told), none otherwise, unless a test installed another.
FocusedWindow& focusedWindow();
// Replaces it (nullptr brings back the real one); returns the previous one.
std::unique_ptr<FocusedWindow> installFocusedWindow(std::unique_ptr<FocusedWindow> replacement);

}  // namespace tessavo::platform
