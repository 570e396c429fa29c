#pragma once

// Only X11 code includes this header: Xlib's macros stay out of the Qt code.
#include <X11/Xlib.h>

#include <string>

namespace tessavo::platform {

// Collects the errors of the requests made during its life instead of letting Xlib end the
// program (a key combination grabbed by another program gives BadAccess, a keymap change the
// server refuses another error).
class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Whether a request made so far failed; waits for the server's answers.
    bool failed();
    // The server's name for the first error trapped (for a diagnostic), e.g. "BadAccess (attempt
    // to access private resource denied)"; empty when none was.
    std::string errorText() const;

private:
    Display* display_;
    XErrorHandler previous_ = nullptr;
    int error_ = 0;  // as failed() found it
};

}  // namespace tessavo::platform
