#pragma once

#include <QString>
#include <string>
#include <vector>

#include "platform/desktop/Clipboard.h"
#include "tests/support/ScopedFake.h"

namespace tessavo::test {

// A system clipboard that records what the program asks of it and can refuse to open, as when
// another program holds it open.
class RecordingClipboard final : public platform::Clipboard {
public:
    bool open() override;
    void close() override;
    void empty() override;
    void setText(const QString& copied, bool isSecret) override;
    void setPrimaryText(const QString& copied, bool isSecret) override;
    QString lastError() const override { return error; }

    // Every call in order: "open", "open failed", "close", "empty", "text <text>", "primary <text>"
    // (with " (secret)" for a secret).
    std::vector<std::string> calls;
    // What the clipboard holds; emptying clears it.
    QString text;
    QString primary;
    bool secret = false;
    // While true, open() fails and lastError() gives `error`.
    bool refuseOpen = false;
    QString error = QStringLiteral("the clipboard is held by another program");
    // While true, empty() raises tessavo::Error with `error`.
    bool failEmpty = false;
    // Whether the clipboard is open now.
    bool isOpen = false;
};

// Installs a RecordingClipboard for the lifetime of the object.
class ScopedRecordingClipboard : public ScopedFake<RecordingClipboard, platform::Clipboard> {
public:
    ScopedRecordingClipboard() : ScopedFake(&platform::installClipboard) {}
};

}  // namespace tessavo::test
