#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/keyboard/Keyboard.h"

class QAbstractButton;
class QLineEdit;
class QRadioButton;

namespace tessavo::autofill {

// What the hotkey handler reads and clicks on the main window.
struct AutoFillTargets {
    QLineEdit* account = nullptr;             // Edit_ZhangHao
    QLineEdit* password = nullptr;            // Edit_MiMa_Temp
    QAbstractButton* copyAccount = nullptr;   // ButtonCopyZhangHao
    QAbstractButton* copyPassword = nullptr;  // ButtonCopyEdit_MiMa
    QRadioButton* pasteMode = nullptr;        // RadioButton_IntoPass1
    QRadioButton* keystrokeMode = nullptr;    // RadioButton_IntoPass2
};

// The auto-fill hotkeys, one row each: the atom whose value identifies the hotkey, the key
// pressed with Ctrl, the name a refused grab is told by, the editor field it fills and the copy
// button paste mode clicks. A further hotkey is one more row.
// Where the desktop catches the keys itself (KDE's shortcut portal) the row is also a shortcut
// of the desktop, by its identifier and the keys it would like, with the shown name as its
// description.
struct AutoFillHotkey {
    const char* atomName;
    std::uint8_t key;  // virtual key, pressed with Ctrl
    const char* shownName;
    QLineEdit* AutoFillTargets::*field;
    QAbstractButton* AutoFillTargets::*copyButton;
    const char* shortcutId;
    const char* shortcutTrigger;
};
inline constexpr std::array kAutoFillHotkeys = {
    AutoFillHotkey{"8", platform::vk::Left, "Ctrl + ←（自动输入帐号）", &AutoFillTargets::account,
                   &AutoFillTargets::copyAccount, "fill-account", "CTRL+Left"},
    AutoFillHotkey{"9", platform::vk::Right, "Ctrl + →（自动输入密码）", &AutoFillTargets::password,
                   &AutoFillTargets::copyPassword, "fill-password", "CTRL+Right"},
};

// The rows of kAutoFillHotkeys.
inline constexpr std::size_t kAccountHotkey = 0;
inline constexpr std::size_t kPasswordHotkey = 1;

// Identifiers of the two hotkeys, the values of the atoms "8" and "9": 0 until the first
// successful login and again after the release.
int HotkeyAccountId();
int HotkeyPasswordId();

// Adds a reference to the atoms "8" and "9" and registers Ctrl+Left (account) and Ctrl+Right
// (password) under their values; a pressed hotkey runs HotkeyMessage with its identifier on the
// given targets, from the event loop, with errors going to the standard error box. Each login
// calls it again: the atoms gain a reference and the hotkeys are registered anew. Where the
// desktop offers shortcuts of its own, the rows are bound there too (once), and a use of one
// does what FillAsIfPressed does.
void RegisterAutoFillHotkeys(const AutoFillTargets& targets);
// Checks that the editor holds an account name and a password (else the message
// "请先选择一组帐号,才能自动输入账户密码.!"), then fills the account name or the password into
// the focused window: in paste mode through its copy button and Ctrl+V, in keystroke mode
// through SendKeyString. Any other identifier does nothing after the checks.
void HotkeyMessage(int id, const AutoFillTargets& targets);
// A fill asked for from outside the program (a desktop's own shortcut running `tessavo --fill`):
// what a press of the hotkey in that row of kAutoFillHotkeys does, on the targets of the last
// registration; nothing while no login has registered the hotkeys. Such a fill may come while a
// window our keys cannot reach has the focus: when the session's fill path cannot type, or the
// desktop has not let the keyboard type, it says so (in paste mode after the copy) instead of
// sending keys nowhere.
void FillAsIfPressed(std::size_t row);
// Unregisters both hotkeys and drops one reference of each atom; nothing to do when no login
// succeeded or the hotkeys were released already.
void ReleaseAutoFillHotkeys();

}  // namespace tessavo::autofill
