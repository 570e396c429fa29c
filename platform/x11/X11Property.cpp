#include "platform/x11/X11Property.h"

namespace tessavo::platform {

X11Property::X11Property(Display* display, Window window, Atom property, Atom type) {
    Atom actualType = None;
    unsigned long remaining = 0;
    const int status = XGetWindowProperty(display, window, property, 0, 1024, False, type, &actualType, &format_,
                                          &count_, &remaining, &data_);
    if (status == Success && data_ && actualType == type) return;
    if (status == Success && data_) XFree(data_);
    data_ = nullptr;
    count_ = 0;
}

X11Property::~X11Property() {
    if (data_) XFree(data_);
}

}  // namespace tessavo::platform
