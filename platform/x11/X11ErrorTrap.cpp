#include "platform/x11/X11ErrorTrap.h"

namespace tessavo::platform {
namespace {

// Xlib's error handler is process-wide and takes no context: the code of the last error.
int trappedError = 0;

int trapError(Display*, XErrorEvent* error) {
    trappedError = error->error_code;
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
    return trappedError != 0;
}

}  // namespace tessavo::platform
