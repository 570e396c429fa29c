#include "app/Clock.h"

namespace tessavo::app {

QString withoutTimeZone(const QString& timeFormat) {
    QString result;
    bool quoted = false;
    for (const QChar c : timeFormat) {
        if (c == u'\'') quoted = !quoted;
        if (!quoted && c == u't') {
            while (result.endsWith(u' ')) result.chop(1);
            continue;
        }
        result.append(c);
    }
    return result.trimmed();
}

QString clockText(const QDateTime& moment, const QLocale& locale) {
    const QString time = locale.toString(moment.time(), withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
    return locale.toString(moment.date(), QLocale::ShortFormat) + QStringLiteral(" ") + time;
}

}  // namespace tessavo::app
