#pragma once

#include <QString>
#include <string>

namespace tessavo::platform {

// The program's 8-bit code page is GB18030, with the euro sign as the single byte 0x80: byte-
// identical to code page 936 for every character that code page holds, and able to carry every
// other character, so cipher texts made on Chinese Windows systems stay valid and no user text
// is lost. No character other than U+0000 becomes a zero byte.
std::string toAnsi(const QString& text);
// Bytes that are not valid GB18030 become U+FFFD; nothing is dropped silently.
QString fromAnsi(const std::string& bytes);

}  // namespace tessavo::platform
