#pragma once

#include <QChar>

class QKeyEvent;

namespace tessavo::access {

// The typing filter of the password entries: backspace, ASCII digits and ASCII letters pass;
// any other character becomes 0 and the user hears a beep.
void filterPasswordKey(QChar& key);

// The character a key press would type into an entry, or 0 for keys that type nothing
// (arrows, Delete, Tab, modifiers), which no filter sees.
QChar typedCharacter(const QKeyEvent& event);

}  // namespace tessavo::access
