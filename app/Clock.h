#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace tessavo::app {

// The clock panel's text: the date in the locale's short format, a blank, and the time in its
// long format without the time-zone name (backup names are made from this text).
QString clockText(const QDateTime& moment, const QLocale& locale = QLocale::system());

// A time format with every unquoted time-zone field ("t") and the blanks next to it removed.
QString withoutTimeZone(const QString& timeFormat);

}  // namespace tessavo::app
