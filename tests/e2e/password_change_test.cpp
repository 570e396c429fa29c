// The management password change as a user makes it: the settings page, the program's end,
// and the next start that accepts only the new password.
#include <gtest/gtest.h>

#include <QDir>

#include "tests/e2e/EndToEnd.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

// Places on the settings page of the main window, from its fixed layout.
namespace settings {
const QPoint kTabHeader(120, 68);
const QPoint kOldPassword(140, 127);
const QPoint kNewPassword(140, 159);
const QPoint kConfirmation(140, 191);
const QPoint kChangeButton(278, 129);
}  // namespace settings

class PasswordChange : public EndToEnd {
protected:
    void typeInto(XWindowId window, const QPoint& field, const QString& text) {
        clickInWindow(window, field);
        desktop().type(text);
    }
};

TEST_F(PasswordChange, EndsTheProgramAndTheNextStartAcceptsOnlyTheNewPassword) {
    ProgramProcess& first = start();
    waitForLoginWindow();
    const XWindowId main = logIn();
    clickInWindow(main, settings::kTabHeader);
    typeInto(main, settings::kOldPassword, QStringLiteral("vorel"));
    typeInto(main, settings::kNewPassword, QStringLiteral("Neu2026"));
    typeInto(main, settings::kConfirmation, QStringLiteral("Neu2026"));
    clickInWindow(main, settings::kChangeButton);
    answerBox(waitForBox());
    EXPECT_EQ(home().shownBoxes(), QStringList{QStringLiteral("Tessavo个人版\t密码设置成功,请重新登录Tessavo.")});
    EXPECT_TRUE(waitUntil([&] { return !first.running(); })) << "the program did not end";
    EXPECT_EQ(first.waitForExit(), 0);
    const QStringList backups =
        QDir(home().appDir()).entryList({QStringLiteral("修改密码前备份_bak_*_.udb")}, QDir::Files);
    EXPECT_EQ(backups.size(), 1) << backups.join(u' ').toStdString();

    ProgramProcess& second = start();
    const XWindowId login = waitForLoginWindow();
    typeInto(login, place::kPasswordEntry, QStringLiteral("vorel"));
    const QImage typed = desktop().grab(login);
    desktop().keys({QStringLiteral("Return")});
    // The refusal writes the failure count into the login window's status bar.
    EXPECT_TRUE(waitUntil([&] { return desktop().grab(login) != typed; })) << "the old password was not answered";
    EXPECT_FALSE(mainWindow()) << "the old password opened the main window";
    EXPECT_TRUE(desktop().isViewable(login));
    clickInWindow(login, place::kPasswordEntry);
    const XWindowId secondMain = logIn(QStringLiteral("Neu2026"));
    EXPECT_EQ(desktop().title(secondMain), mainCaption());
    EXPECT_TRUE(second.running());
}

}  // namespace
}  // namespace tessavo::test
