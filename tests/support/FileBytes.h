#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

namespace tessavo::test {

// Raw file contents for tests that check files byte for byte.
inline std::string readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

inline bool writeBytes(const QString& path, std::string_view bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

// Every entry of a directory (hidden ones too), sorted: shows what a step left behind.
inline QStringList entriesOf(const QString& directory) {
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

}  // namespace tessavo::test
