#pragma once

#include <QString>
#include <ostream>

// GoogleTest prints Qt texts as their UTF-8 characters (lists of them element by element),
// not as bytes of memory.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
