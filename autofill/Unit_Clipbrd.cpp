#include "autofill/Unit_Clipbrd.h"

#include "platform/Clipboard.h"
#include "platform/Error.h"

namespace tessavo {

TClipboard::~TClipboard() {
    while (FOpenRefCount > 0) Close();
}

void TClipboard::Open() {
    if (FOpenRefCount == 0) {
        platform::Clipboard& system = platform::clipboard();
        if (!system.open()) throw Error(QStringLiteral("Cannot open clipboard: %1").arg(system.lastError()));
        FEmptied = false;
    }
    ++FOpenRefCount;
}

void TClipboard::Close() {
    if (FOpenRefCount == 0) return;
    if (--FOpenRefCount == 0) platform::clipboard().close();
}

void TClipboard::Clear() {
    Open();
    try {
        platform::clipboard().empty();
        FEmptied = true;
    } catch (...) {
        Close();
        throw;
    }
    Close();
}

TClipboard& ClipboardInstance() {
    static TClipboard instance;
    return instance;
}

}  // namespace tessavo
