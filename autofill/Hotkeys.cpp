#include "autofill/Hotkeys.h"

namespace tessavo {
namespace {
int accountId = 0;
int passwordId = 0;
}  // namespace

int HotkeyAccountId() { return accountId; }
int HotkeyPasswordId() { return passwordId; }

// The global grab and the two typing modes come with the auto-fill work.
void RegisterAutoFillHotkeys(const AutoFillTargets&) {}
void HotkeyMessage(int, const AutoFillTargets&) {}
void ReleaseAutoFillHotkeys() {}

}  // namespace tessavo
