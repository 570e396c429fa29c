#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "platform/keyboard/KeyboardLayout.h"

namespace tessavo::platform {

// Where ibus-daemon can be found, and which of its engines types plain keys: what the IBus
// switch needs besides the call itself.

// The name of the file in ~/.config/ibus/bus/ in which ibus-daemon leaves the address of its
// own bus: "<machine id>-<host>-<display>", after the Wayland display in a Wayland session
// ("…-unix-wayland-0"), else after the X display's host ("unix" when it names none) and number
// without the screen ("…-unix-1" for ":1.0"); ":0" when no display is named.
QString ibusAddressFileName(const QString& machineId, const QString& waylandDisplay, const QString& x11Display);

// The bus address that file holds (its IBUS_ADDRESS line); empty when it holds none.
QString ibusAddressIn(const QByteArray& fileText);

// Whether the engine types what the keyboard layout gives, composing nothing (the xkb ones).
bool isKeyboardEngine(const QString& engine);

// The engine that types the layout: the xkb engine of its layout and variant, else that of its
// layout alone; xkb:us::eng where the layout is unknown or has none (what GNOME itself sets for
// every keyboard layout). Of several engines for one layout (one per language) the first by
// name is taken: they type alike.
QString keyboardEngineFor(const KeyboardLayout& layout, const QStringList& engines);

}  // namespace tessavo::platform
