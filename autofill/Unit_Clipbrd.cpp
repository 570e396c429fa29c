#include "autofill/Unit_Clipbrd.h"

#include "platform/base/Error.h"
#include "platform/desktop/Clipboard.h"

namespace tessavo::autofill {
namespace {

// The accessor's reference: a plain pointer that outlives every static object, so a call after
// the instance went at program end finds none and makes a new one.
TClipboard* instance = nullptr;

// Ends the instance with the program and clears the reference.
struct InstanceOwner {
    ~InstanceOwner() {
        delete instance;
        instance = nullptr;
    }
} owner;

}  // namespace

// The system clipboard has no lock on X11 to hand back; the object only counts.
TClipboard::~TClipboard() = default;

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
    // Closed again whatever emptying does.
    struct CloseAtEnd {
        TClipboard& clipboard;
        ~CloseAtEnd() { clipboard.Close(); }
    } closeAtEnd{*this};
    platform::clipboard().empty();
    FEmptied = true;
}

TClipboard& ClipboardInstance() {
    if (!instance) instance = new TClipboard;
    return *instance;
}

}  // namespace tessavo::autofill
