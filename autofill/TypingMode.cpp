#include "autofill/TypingMode.h"

#include "platform/files/ProfileStrings.h"

namespace tessavo::autofill {
namespace {

QString flagText(bool checked) { return checked ? QStringLiteral("1") : QStringLiteral("0"); }

}  // namespace

QString configFilePath(const QString& appDir) { return appDir + configFileName(); }

TypingModeKeys readTypingModeKeys(const QString& appDir) {
    const QString file = configFilePath(appDir);
    return TypingModeKeys{platform::profile::readBool(file, typingModeSection(), pasteKey(), true),
                          platform::profile::readBool(file, typingModeSection(), keystrokeKey(), true)};
}

TypingMode typingModeAtStart(TypingModeKeys keys, TypingMode checkedBefore) {
    TypingMode checked = checkedBefore;
    if (keys.paste) checked = TypingMode::Paste;
    if (keys.keystroke) checked = TypingMode::Keystroke;
    return checked;
}

void writeTypingMode(const QString& appDir, bool pasteChecked, bool keystrokeChecked) {
    const QString file = configFilePath(appDir);
    platform::profile::writeString(file, typingModeSection(), pasteKey(), flagText(pasteChecked));
    platform::profile::writeString(file, typingModeSection(), keystrokeKey(), flagText(keystrokeChecked));
}

}  // namespace tessavo::autofill
