#pragma once

#include <QDir>
#include <QFile>
#include <QString>

namespace tessavo::test {

// Writes fcitx5's profile into the home: Pinyin and the US keyboard in one group, Pinyin the
// input method that activation brings. False when it cannot be written.
inline bool writeFcitx5PinyinProfile(const QString& home) {
    const char* const profile =
        "[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=pinyin\n\n"
        "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n"
        "[Groups/0/Items/1]\nName=pinyin\nLayout=\n\n"
        "[GroupOrder]\n0=Default\n";
    if (!QDir(home).mkpath(QStringLiteral(".config/fcitx5"))) return false;
    QFile file(home + QStringLiteral("/.config/fcitx5/profile"));
    return file.open(QIODevice::WriteOnly) && file.write(profile) == qint64(qstrlen(profile));
}

}  // namespace tessavo::test
