#pragma once

#include <QString>

// The typing mode of the auto-fill and its settings file, without the widgets: the main
// window's `LoadTypingMode` and `Button6Click` hold the radio buttons and call these.
namespace tessavo::autofill {

enum class TypingMode { Paste, Keystroke };

// What the two keys of the settings file read as.
struct TypingModeKeys {
    bool paste = true;
    bool keystroke = true;
};

inline QString configFileName() { return QStringLiteral("Config.ini"); }
inline QString typingModeSection() { return QStringLiteral("软件配置"); }
inline QString pasteKey() { return QStringLiteral("粘贴式"); }
inline QString keystrokeKey() { return QStringLiteral("非粘贴式"); }

// The application directory (with its trailing separator) followed by "Config.ini".
QString configFilePath(const QString& appDir);

// Reads "粘贴式" and "非粘贴式" of section "软件配置"; each is true when missing or not an integer.
TypingModeKeys readTypingModeKeys(const QString& appDir);

// The mode the radio buttons end in at start: a true "粘贴式" checks paste, then a true
// "非粘贴式" checks keystroke; a false value checks nothing, so `checkedBefore` (the window's
// own default, paste) stays.
TypingMode typingModeAtStart(TypingModeKeys keys, TypingMode checkedBefore = TypingMode::Paste);

// Writes "粘贴式" and then "非粘贴式" ("1" for a checked button, "0" otherwise), each at once.
// A failed write raises tessavo::Error "Unable to write to <path>"; a key written before stays.
void writeTypingMode(const QString& appDir, bool pasteChecked, bool keystrokeChecked);

}  // namespace tessavo::autofill
