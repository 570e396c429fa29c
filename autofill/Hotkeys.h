#pragma once

class QAbstractButton;
class QLineEdit;
class QRadioButton;

namespace tessavo {

// What the hotkey handler reads and clicks on the main window.
struct AutoFillTargets {
    QLineEdit* account = nullptr;             // Edit_ZhangHao
    QLineEdit* password = nullptr;            // Edit_MiMa_Temp
    QAbstractButton* copyAccount = nullptr;   // ButtonCopyZhangHao
    QAbstractButton* copyPassword = nullptr;  // ButtonCopyEdit_MiMa
    QRadioButton* pasteMode = nullptr;        // RadioButton_IntoPass1
    QRadioButton* keystrokeMode = nullptr;    // RadioButton_IntoPass2
};

// Identifiers of the two hotkeys: 0 until the first successful login.
int HotkeyAccountId();
int HotkeyPasswordId();

// Adds the atoms "8" and "9" and registers Ctrl+Left and Ctrl+Right; a pressed hotkey runs
// HotkeyMessage with its identifier on the given targets.
void RegisterAutoFillHotkeys(const AutoFillTargets& targets);
// Checks the selection and fills the account name or the password into the focused window.
void HotkeyMessage(int id, const AutoFillTargets& targets);
// Unregisters both hotkeys and deletes the atoms; nothing to do when no login succeeded.
void ReleaseAutoFillHotkeys();

}  // namespace tessavo
