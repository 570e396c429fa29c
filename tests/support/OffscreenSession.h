#pragma once

#include <stdlib.h>

#include <QByteArray>

namespace tessavo::test {

// For a process that runs the program's windows outside any test tier's main (benchmarks,
// fault workers): the offscreen platform and a home of its own, so that the desktop entry, the
// settings, the single-instance lock, temporary files and the hotkeys never reach the user's
// session. Call before the application object is made.
inline void isolateOffscreenSession(const QByteArray& home) {
    setenv("HOME", home.constData(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").constData(), 1);
    setenv("XDG_DATA_HOME", (home + "/.local/share").constData(), 1);
    setenv("XDG_RUNTIME_DIR", home.constData(), 1);
    setenv("TMPDIR", home.constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The tray icon finds no tray on the offscreen platform and says so at every start.
    setenv("QT_LOGGING_RULES", "qt.core.qobject.connect=false", 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
}

}  // namespace tessavo::test
