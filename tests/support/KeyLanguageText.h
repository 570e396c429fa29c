#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tessavo::test {

// Every printable ASCII character that the key language types as itself: all but its commands
// (Shift, Ctrl, Alt, Enter, groups and key names).
inline std::string printableAsciiOutsideKeyLanguage() {
    constexpr std::string_view kCommands = "+^%~(){}";
    std::string text;
    for (char c = 0x20; c < 0x7F; ++c) {
        if (kCommands.find(c) == std::string_view::npos) text += c;
    }
    return text;
}

// The text as the key language spells it to type exactly the text: each of its command
// characters braced ("{+}", "{~}", "{{}").
inline QString spelledInKeyLanguage(const QString& text) {
    const QString commands = QStringLiteral("+^%~(){}");
    QString spelled;
    for (const QChar ch : text) {
        if (commands.contains(ch)) {
            spelled += QLatin1Char('{') + ch + QLatin1Char('}');
        } else {
            spelled += ch;
        }
    }
    return spelled;
}

}  // namespace tessavo::test
