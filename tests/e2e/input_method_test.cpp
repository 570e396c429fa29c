// Keystrokes into a GTK entry while fcitx5's Pinyin engine is active for it, on a private X
// server and a private session bus: the input method composes what other programs type, yet the
// password arrives exactly and the input method is active again afterwards.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "autofill/Unit_SendKey.h"
#include "platform/keyboard/InputMethod.h"
#include "platform/keyboard/Keyboard.h"
#include "platform/x11/X11Keyboard.h"
#include "tests/support/Fcitx5Profile.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedFake.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/SessionProcesses.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/X11Desktop.h"
#include "tests/support/XvfbServer.h"

namespace tessavo::test {
namespace {

class InputMethodTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment_ = privateSessionEnvironment(QString::fromStdString(server_.display()), home_.path());
        environment_.insert(QStringLiteral("GTK_IM_MODULE"), QStringLiteral("fcitx"));
        environment_.insert(QStringLiteral("XMODIFIERS"), QStringLiteral("@im=fcitx"));
        ASSERT_TRUE(writeFcitx5PinyinProfile(home_.path()));

        bus_ = std::make_unique<PrivateSessionBus>(environment_);
        ASSERT_FALSE(bus_->address().isEmpty());
        environment_ = bus_->environment(environment_);
        busAddress_ = std::make_unique<ScopedEnvironment>("DBUS_SESSION_BUS_ADDRESS", bus_->address().toUtf8());

        inputMethodProcess_ = std::make_unique<SessionProcess>(
            environment_, QStringLiteral("fcitx5"),
            QStringList{QStringLiteral("--disable=notificationitem,kimpanel,classicui,clipboard")});
        ASSERT_TRUE(waitUntil([] { return platform::inputMethod().isActive().has_value(); }))
            << "fcitx5 does not answer on the session bus";
        keyboard_.emplace(&platform::installKeyboard, server_.display().c_str());
    }

    void TearDown() override { keyboard_.reset(); }

    XvfbServer server_;
    QTemporaryDir home_;
    QProcessEnvironment environment_;
    std::unique_ptr<PrivateSessionBus> bus_;
    std::unique_ptr<ScopedEnvironment> busAddress_;
    std::unique_ptr<SessionProcess> inputMethodProcess_;
    std::optional<test::ScopedFake<platform::X11Keyboard, platform::Keyboard>> keyboard_;
    ScopedScriptedDialogs dialogs_;
};

TEST_F(InputMethodTest, ThePasswordArrivesExactlyThroughAnActivePinyinAndItStaysActive) {
    X11Desktop desktop(server_.display());
    SessionProcess zenity(environment_, QStringLiteral("zenity"),
                          {QStringLiteral("--entry"), QStringLiteral("--title"), QStringLiteral("pinyin entry")});
    const auto window = desktop.waitForShownWindow(QStringLiteral("pinyin entry"));
    ASSERT_TRUE(window) << "zenity did not come up";
    ASSERT_TRUE(desktop.focus(*window));
    platform::InputMethod& inputMethod = platform::inputMethod();
    // The entry's input context reaches fcitx5 once it has the focus; then Pinyin can be switched on.
    ASSERT_TRUE(waitUntil([&] { return inputMethod.setActive(true) && inputMethod.isActive() == true; }))
        << "Pinyin did not become active for the entry";

    const QString password = QStringLiteral("abc123 hello world");
    {
        const platform::DirectInputScope direct(inputMethod, platform::keyboard(), password.size());
        EXPECT_EQ(inputMethod.isActive(), false) << "direct input while the keys go out";
        autofill::SendKeyString(password, true);
    }
    EXPECT_EQ(inputMethod.isActive(), true) << "the earlier state comes back";
    // Typed afterwards as any other program would: Pinyin, active again, turns "ni" and a blank
    // into a Chinese character; the Enter closes the entry.
    autofill::SendKeyString(u"ni ~", true);

    ASSERT_TRUE((*zenity).waitForFinished(int(kPatience.count()))) << "the entry did not close";
    EXPECT_EQ(QString::fromUtf8((*zenity).readAllStandardOutput()), password + QStringLiteral("你\n"));
    EXPECT_TRUE(dialogs_->takeTexts().empty());
    EXPECT_FALSE(bus_->activatedPrograms().contains(QStringLiteral("ibus-daemon"))) << "asking for IBus started it";
}

}  // namespace
}  // namespace tessavo::test
