#pragma once

#include <QString>
#include <memory>

namespace tessavo::platform {

// The seat's clipboard and primary selection in a Wayland session whose compositor offers data
// control (wlroots and others): set and emptied without the keyboard focus, which Wayland
// otherwise demands of a program that sets the clipboard. It runs on a connection of its own,
// served by a thread of its own, so a paste is answered even while the program's window is
// busy sending the keys that ask for it.
class WaylandClipboard {
public:
    // Connects to the named display (nullptr: $WAYLAND_DISPLAY); throws tessavo::Error when it
    // cannot be reached or offers no seat or no data control.
    explicit WaylandClipboard(const char* displayName);
    // The copy this program offers goes with it: the compositor empties a selection whose
    // source is gone.
    ~WaylandClipboard();
    WaylandClipboard(const WaylandClipboard&) = delete;
    WaylandClipboard& operator=(const WaylandClipboard&) = delete;

    // Whether the named display offers data control, without binding anything.
    static bool offeredBy(const char* displayName);

    // The clipboard selection becomes the text; a secret also offers the MIME type that keeps
    // clipboard managers from storing it. Returns once the compositor has taken it.
    void setText(const QString& text, bool secret);
    // Empties the clipboard and the primary selection, whoever set them; returns once done.
    void empty();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tessavo::platform
