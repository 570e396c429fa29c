#include "platform/x11/X11ErrorTrap.h"

namespace tessavo::platform {
namespace {

// Xlib's error handler is process-wide and takes no context: the code of the first error.
int trappedError = 0;

int trapError(Display*, XErrorEvent* error) {
    if (trappedError == 0) trappedError = error->error_code;
    return 0;
}

}  // namespace

X11ErrorTrap::X11ErrorTrap(Display* display) : display_(display) {
    XSync(display_, False);
    trappedError = 0;
    previous_ = XSetErrorHandler(trapError);
}

X11ErrorTrap::~X11ErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
}

bool X11ErrorTrap::failed() {
    XSync(display_, False);
    error_ = trappedError;
    return error_ != 0;
}

std::string X11ErrorTrap::errorText() const {
    if (error_ == 0) return {};
    char text[256] = {};
    XGetErrorText(display_, error_, text, sizeof text);
    return text;
}

}  // namespace tessavo::platform
