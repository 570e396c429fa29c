#pragma once

// How the two windows and the auto-fill reach one another. Much of this is the behaviour itself
// (a handler clicks another's button, a hidden edit holds a state) and stays as it is; this
// header names every such hook in one place.
//
// Cross-form hooks (one handler clicking another's button, synchronously, as a user's click):
//   TForm1::Button_CheckLogin    hidden; the login gate as a command. Clicked by Timer_CheckLogin
//                                (one second after start) and by ShowME when not logged in.
//   TForm1::Button_ClearAllEdit  hidden; the editor reset. Clicked by refresh, category choice,
//                                add, modify, delete, category deletion and clear all.
//   TForm1::Button_Refresh       the listing of all records. Clicked by the login window after
//                                a successful login, and by the editing and category commands.
//   TForm1::unlockDatabase       a function, not a button: the login window opens a file
//                                protected by the management password with the typed password.
//   TForm1::Button_GeiClass      the category load. Clicked by the login window after a
//                                successful login, and by the category commands.
//   TForm1::ButtonCopyZhangHao,  the copy buttons. Clicked by the auto-fill hotkeys in paste
//   TForm1::ButtonCopyEdit_MiMa  mode (see autofill/Hotkeys.h: kAutoFillHotkeys).
//   TForm1::ShowME               the tray menu's "显示窗口". Clicked by a tray click and by a
//                                later start of the program (LaterStartClick).
//
// Hidden state holders (controls never shown, read and written by other handlers):
//   TForm1::Edit_BianHao         编号 of the record last chosen in the grid; empty: none chosen.
//   TForm1::Edit_MiMa_Temp       the decrypted password of that record; read by the hotkeys
//                                and the password copy. The editor reset leaves it.
//   TForm1::EditVer              the version text, for the caption and the update address.
//   TForm2::Edit_LoginPass_Temp  the logged-in mark: non-empty since the last successful login;
//                                hiding the main window empties it.
//   TForm2::Edit_Error           wrong management passwords over the life of the process; its
//                                change runs the lockout check.
//   access::StoredLoginCipher()  the management password's cipher as the gate last read it.
//   cipher::AccountKey()         the key of passwords and notes, set by TForm1's creation;
//                                reading it unset is an error.
//   The status bar panels below: the current row number and the clock travel through their
//   texts.

namespace tessavo::access {
struct MainWindowHooks;
}  // namespace tessavo::access
namespace tessavo::autofill {
struct AutoFillTargets;
}  // namespace tessavo::autofill

namespace tessavo::app {

class TForm1;

// The panels of the main window's status bar. Modify reads the current row number back from
// its panel; every backup takes its stamp from the clock panel's text.
enum StatusPanel : int {
    kRecordCountPanel = 0,  // "共有N条记录" and the category and search counts
    kCurrentRowPanel = 1,   // the result's current row number
    kClockPanel = 2,        // the clock, once a second
};

// What the hotkeys read and click on the main window.
autofill::AutoFillTargets autoFillTargetsOf(TForm1& main);
// What the login window reaches on the main window.
access::MainWindowHooks loginHooksOf(TForm1& main);

}  // namespace tessavo::app
