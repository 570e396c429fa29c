#pragma once

#include <X11/Xlib.h>

namespace tessavo::platform {

// A window's property read whole, of the type asked for, and freed with the object.
class X11Property {
public:
    X11Property(Display* display, Window window, Atom property, Atom type);
    ~X11Property();
    X11Property(const X11Property&) = delete;
    X11Property& operator=(const X11Property&) = delete;

    // Whether the window has the property with the type and the format (8, 16 or 32) asked for.
    bool holds(int format) const { return data_ && format_ == format; }
    // The items as Xlib hands them (format 32 as longs) and their count.
    const unsigned char* data() const { return data_; }
    unsigned long count() const { return count_; }

private:
    int format_ = 0;
    unsigned long count_ = 0;
    unsigned char* data_ = nullptr;
};

}  // namespace tessavo::platform
