#pragma once

#include <QString>

namespace tessavo {

// Fixed texts shared by every part of the program.
inline QString applicationTitle() { return QStringLiteral("Tessavo个人版"); }
inline QString versionText() { return QStringLiteral("1.85.20171230"); }
inline QString warningTitle() { return QStringLiteral("警告"); }

}  // namespace tessavo
