#include "store/ConnectionString.h"

#include <QStringView>

namespace tessavo::store {

namespace {

// Reads one value from `position` up to the next ";" outside quotes; moves `position` past it.
QString readValue(QStringView text, qsizetype& position) {
    while (position < text.size() && text[position].isSpace()) ++position;
    if (position < text.size() && (text[position] == u'"' || text[position] == u'\'')) {
        const QChar quote = text[position++];
        QString value;
        while (position < text.size()) {
            const QChar c = text[position++];
            if (c != quote) {
                value += c;
            } else if (position < text.size() && text[position] == quote) {
                value += quote;
                ++position;
            } else {
                break;
            }
        }
        const qsizetype end = text.indexOf(u';', position);
        position = end < 0 ? text.size() : end + 1;
        return value;
    }
    const qsizetype end = text.indexOf(u';', position);
    const QStringView value = text.mid(position, (end < 0 ? text.size() : end) - position);
    position = end < 0 ? text.size() : end + 1;
    return value.trimmed().toString();
}

}  // namespace

QString databasePath(const QString& applicationDirectory) {
    return applicationDirectory + QString::fromUtf16(kDatabaseFileName);
}

QString missingDatabaseMessage() { return QStringLiteral("没有发现数据库\"_.udb\"文件."); }

QString connectionStringValue(const QString& value) {
    if (!value.contains(u';') && !value.startsWith(u'"') && !value.startsWith(u'\'')) return value;
    QString doubled = value;
    doubled.replace(u'"', QStringLiteral("\"\""));
    return u'"' + doubled + u'"';
}

QString connectionStringFor(const QString& applicationDirectory) {
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") +
           connectionStringValue(databasePath(applicationDirectory)) +
           QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=") +
           QString::fromUtf16(kDatabasePassword);
}

ConnectionSettings parseConnectionString(const QString& connectionString) {
    ConnectionSettings settings;
    const QStringView text(connectionString);
    qsizetype position = 0;
    while (position < text.size()) {
        const qsizetype equals = text.indexOf(u'=', position);
        if (equals < 0) break;
        const qsizetype semicolon = text.indexOf(u';', position);
        if (semicolon >= 0 && semicolon < equals) {  // a piece without a name is passed over
            position = semicolon + 1;
            continue;
        }
        const QStringView name = text.mid(position, equals - position).trimmed();
        position = equals + 1;
        const QString value = readValue(text, position);
        if (name.compare(u"Data Source", Qt::CaseInsensitive) == 0) settings.dataSource = value;
        if (name.compare(u"Jet OLEDB:Database Password", Qt::CaseInsensitive) == 0) settings.databasePassword = value;
    }
    return settings;
}

}  // namespace tessavo::store
