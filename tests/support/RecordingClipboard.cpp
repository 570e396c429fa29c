#include "tests/support/RecordingClipboard.h"

#include "platform/base/Error.h"

namespace tessavo::test {

bool RecordingClipboard::open() {
    if (refuseOpen) {
        calls.push_back("open failed");
        return false;
    }
    calls.push_back("open");
    isOpen = true;
    return true;
}

void RecordingClipboard::close() {
    calls.push_back("close");
    isOpen = false;
}

void RecordingClipboard::empty() {
    calls.push_back("empty");
    if (failEmpty) throw Error(error);
    text.clear();
    primary.clear();
    secret = false;
}

void RecordingClipboard::setText(const QString& copied, bool isSecret) {
    calls.push_back("text " + copied.toStdString() + (isSecret ? " (secret)" : ""));
    text = copied;
    secret = isSecret;
}

void RecordingClipboard::setPrimaryText(const QString& copied, bool isSecret) {
    calls.push_back("primary " + copied.toStdString() + (isSecret ? " (secret)" : ""));
    primary = copied;
}

}  // namespace tessavo::test
