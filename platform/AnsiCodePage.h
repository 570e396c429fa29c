#pragma once

#include <QString>
#include <string>

namespace tessavo::platform {

// The program's 8-bit code page is GB18030: byte-identical to code page 936 for every
// character that code page holds, and able to carry every other character, so cipher texts
// made on Chinese Windows systems stay valid and no user text is lost.
std::string toAnsi(const QString& text);
// Bytes that are not valid GB18030 become U+FFFD; nothing is dropped silently.
QString fromAnsi(const std::string& bytes);

}  // namespace tessavo::platform
