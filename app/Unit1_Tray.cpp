// Tray, visibility, the clock and the update page.
#include <QAction>
#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>
#include <QSystemTrayIcon>

#include "access/Unit_Login.h"
#include "app/Clock.h"
#include "app/Unit1.h"
#include "app/UpdatePage.h"
#include "platform/desktop/Guard.h"
#include "platform/desktop/NotificationArea.h"
#include "platform/desktop/Shell.h"
#include "platform/x11/Unit_Function.h"

namespace tessavo::app {

void TForm1::TrayIcon1Click() { platform::trigger(ShowME); }

void TForm1::ShowMEClick() {
    if (loginWindow_->Edit_LoginPass_Temp->text().isEmpty()) {
        // Not logged in: the login gate asks for the management password first.
        platform::trigger(Button_CheckLogin);
        return;
    }
    show();
    raise();  // once above every other window, then back in the normal stacking order
    activateWindow();
    HideApplicationWindow(true);
}

void TForm1::HideMEClick() {
    HideApplicationWindow(false);
    platform::HideTaskbarButton(this);
    hide();
    loginWindow_->Edit_LoginPass_Temp->clear();  // hiding forgets the login
    keepAWayBack();
}

// Without a notification area the tray icon shows nowhere, and a hidden program could only be
// reached by starting it again: the login window stays, minimised, on the taskbar instead.
void TForm1::keepAWayBack() {
    if (platform::notificationAreaAvailable()) return;
    platform::ShowTaskbarButton(loginWindow_);
    loginWindow_->showMinimized();
}

void TForm1::LaterStartClick() {
    // Without the database start-up made no tray icon: there is nothing to show.
    if (!TrayIcon1->isVisible()) return;
    TrayIcon1Click();
}

void TForm1::Button_HIdeClick() { platform::trigger(HideME); }

void TForm1::CloseMeClick() { requestClose(); }

void TForm1::Button8Click() { platform::trigger(Aboutme); }

void TForm1::AboutmeClick() { platform::shell().openUrl(updatePageAddress(EditVer->text())); }

void TForm1::Timer1Timer() {
    HideApplicationWindow(false);
    setPanelText(kClockPanel, clockText(QDateTime::currentDateTime()));
}

// There is no separate application window on X11: both windows of the program carry the
// skip-taskbar state themselves. A minimised login window, the way back on a desktop without a
// notification area, keeps its place on the taskbar.
void TForm1::HideApplicationWindow(bool) {
    platform::HideTaskbarButton(this);
    if (loginWindow_ && !loginWindow_->isMinimized()) platform::HideTaskbarButton(loginWindow_);
}

}  // namespace tessavo::app
