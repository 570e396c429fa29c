// The program's diagnostics on standard error: with every tessavo category on, a login and fills
// in both typing modes leave a trace of what happened and none of the secrets; with nothing
// set, a hotkey another program holds leaves a warning and no debug line.
#include <gtest/gtest.h>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "platform/base/AnsiCodePage.h"
#include "platform/base/Error.h"
#include "platform/x11/X11Keyboard.h"
#include "tests/e2e/AutoFillDesktop.h"
#include "tests/support/CapturedMessages.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/XvfbServer.h"

namespace tessavo::test {
namespace {

// Distinct enough that no other text of the output holds them by chance. The password has a
// character no key of the US layout gives, so a spare key is lent for it.
const QString kManagementPassword = QStringLiteral("mgmtHy61Lp");  // the login entry takes letters and digits
const QString kAccount = QStringLiteral("acct-Kx93Fw");
const QString kPassword = QStringLiteral("pw-Tm58Qz-é");
const QString kNote = QStringLiteral("note-Jr42Vb");

QString hexCipher(const QString& text, const std::string& key) {
    return QString::fromStdString(cipher::DesEncryptToHex(platform::toAnsi(text), key));
}

// The start environment: the output as Qt prints it by default, with these logging rules.
StartOptions withLoggingRules(std::optional<QString> rules) {
    return {{},
            {{QStringLiteral("QT_LOGGING_RULES"), std::move(rules)},
             {QStringLiteral("QT_MESSAGE_PATTERN"), std::nullopt},
             {QStringLiteral("QT_LOGGING_CONF"), std::nullopt}}};
}

class Diagnostics : public AutoFillDesktop {
protected:
    void fillBoth(TargetProgram& target) {
        ASSERT_TRUE(target.focus());
        press("ctrl+Left");
        EXPECT_EQ(target.waitFor(kAccount), kAccount) << "by Ctrl+Left";
        target.clear();
        press("ctrl+Right");
        EXPECT_EQ(target.waitFor(kPassword), kPassword) << "by Ctrl+Right";
        target.clear();
    }
};

TEST_F(Diagnostics, AllDebugOutputFollowsALoginAndFillsInBothModesAndHoldsNoSecret) {
    useLayout("us");
    startTrayHost();
    storeRecord(kAccount, kPassword);
    home().runSql(QStringLiteral("update data set 备注='%1';\nupdate Pass set 密码='%2';")
                      .arg(kNote, hexCipher(kManagementPassword, cipher::LoginKey())));
    ProgramProcess& process = startWith(withLoggingRules(QStringLiteral("tessavo.*=true")));
    const XWindowId main = logIn(kManagementPassword);
    chooseRecord(main);
    TargetProgram& target = startTarget();
    fillBoth(target);  // without Config.ini: keystrokes

    ASSERT_TRUE(desktop().focus(main));
    clickInWindow(main, fillPlace::kSettingsTab);
    clickInWindow(main, fillPlace::kPasteModeButton);
    fillBoth(target);
    chooseFromTrayMenu(TrayEntry::Quit);
    ASSERT_EQ(process.waitForExit(), 0);
    EXPECT_TRUE(home().shownBoxes().isEmpty());

    const QString output = process.output();
    for (const QString& trace :
         {QStringLiteral("tessavo.access: login accepted"), QStringLiteral("tessavo.store: opened the database file"),
          QStringLiteral("tessavo.autofill: filling the account name by keystrokes"),
          QStringLiteral("tessavo.autofill: filling the password by keystrokes"),
          QStringLiteral("tessavo.autofill: filling the password by paste"),
          QStringLiteral("tessavo.platform.x11: a typing burst ended")}) {
        EXPECT_TRUE(output.contains(trace)) << "no \"" << trace.toStdString() << "\" in:\n" << output.toStdString();
    }
    const std::pair<const char*, QString> secrets[] = {
        {"the management password", kManagementPassword},
        {"the stored login cipher", hexCipher(kManagementPassword, cipher::LoginKey())},
        {"the account name", kAccount},
        {"the password", kPassword},
        {"the password without its last character", kPassword.chopped(1)},
        {"the password's cipher text", hexCipher(kPassword, cipher::kAccountKeyText)},
        {"the note", kNote},
    };
    for (const auto& [what, secret] : secrets) {
        EXPECT_FALSE(output.contains(secret, Qt::CaseInsensitive)) << what << " in:\n" << output.toStdString();
    }
}

TEST_F(Diagnostics, AHotkeyAnotherProgramHoldsLeavesAWarningWithTheServersReasonByDefault) {
    storeRecord(kAccount, kPassword);
    const HeldHotkey heldElsewhere(xvfb().display(), "Left");
    ProgramProcess& process = startWith(withLoggingRules(std::nullopt));
    logIn();
    answerBox(waitForBox());  // the program's own word on the taken key

    ASSERT_TRUE(waitUntil([&] { return process.output().contains(QStringLiteral("tessavo.autofill")); }))
        << process.output().toStdString();
    const QString output = process.output();
    EXPECT_TRUE(output.contains(QStringLiteral("tessavo.platform.x11: the X server refused the grab of Ctrl+Left")))
        << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("BadAccess"))) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("tessavo.autofill: the hotkey Ctrl + ←（自动输入帐号） was refused")))
        << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("（自动输入密码） was refused"))) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("login accepted"))) << "debug output is off by default";
    EXPECT_FALSE(output.contains(QStringLiteral("grabbed Ctrl+Right"))) << "debug output is off by default";
}

// A fill on such a server shows the error box; the diagnostics say it at once, with the reason.
TEST(DiagnosticsWithoutXTest, TheKeyboardSaysThatNoKeyCanBeSent) {
    const XvfbServer xvfb("640x480x24", {"-extension", "XTEST"});
    const CapturedMessages messages;
    EXPECT_THROW(platform::X11Keyboard keyboard(xvfb.display().c_str()), Error);
    EXPECT_EQ(messages.warnings(), QStringList{QStringLiteral("tessavo.platform.x11: no keystrokes can be sent: the X "
                                                              "server has no XTest extension for typing")});
}

}  // namespace
}  // namespace tessavo::test
