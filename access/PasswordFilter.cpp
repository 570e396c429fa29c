#include "access/PasswordFilter.h"

#include <QKeyEvent>

#include "platform/desktop/Dialogs.h"

namespace tessavo::access {
namespace {

bool passes(QChar key) {
    const char16_t c = key.unicode();
    return c == 8 || (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

}  // namespace

void filterPasswordKey(QChar& key) {
    if (passes(key)) return;
    key = QChar(0);
    platform::dialogs().beep();
}

QChar typedCharacter(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Delete:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return QChar(0);
        case Qt::Key_Backspace:
            return QChar(8);
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return QChar(13);
        default:
            break;
    }
    // Ctrl+V arrives as its control character and is filtered like any other, so nothing
    // outside the allowed set is pasted in either.
    const QString text = event.text();
    return text.isEmpty() ? QChar(0) : text.front();
}

}  // namespace tessavo::access
