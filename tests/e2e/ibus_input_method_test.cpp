// Auto-fill past IBus with Pinyin (ibus-libpinyin in its Chinese mode), the input method GNOME
// starts: the setup first shows that it composes the keys other programs type, then the fills
// arrive exactly, and IBus is left as found: the same engine, in its Chinese mode, with nothing
// left composing. fcitx5 is installed here too and must not be started by asking for it.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "autofill/Unit_SendKey.h"
#include "platform/keyboard/InputMethod.h"
#include "platform/keyboard/Keyboard.h"
#include "platform/x11/X11Keyboard.h"
#include "tests/e2e/AutoFillDesktop.h"
#include "tests/support/IbusSession.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedFake.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/X11Desktop.h"
#include "tests/support/XvfbServer.h"

namespace tessavo::test {
namespace {

const QString kPinyin = QStringLiteral("libpinyin");
// What Pinyin in its Chinese mode makes of "ni" and a blank.
const QString kNi = QStringLiteral("你");
const QString kAccount = QStringLiteral("user.name@example.com");
const QString kPassword = QStringLiteral("abc123 hello");

// What must hold of IBus after the fills: the engine found, still running, and no other input
// method started.
void expectIbusLeftAsFound(const IbusSession& ibus) {
    // The program sets it again once the typed keys have had time to arrive.
    EXPECT_TRUE(waitUntil([&] { return ibus.engine() == kPinyin; })) << "the engine found comes back";
    EXPECT_TRUE(ibus.running()) << "ibus-daemon ended";
    EXPECT_FALSE(ibus.bus().activatedPrograms().contains(QStringLiteral("fcitx5"))) << "asking for fcitx5 started it";
}

// The switch itself, in this process, into a GTK entry (zenity) that types through IBus.
class IbusKeystrokes : public ::testing::Test {
protected:
    void SetUp() override {
        const QProcessEnvironment environment =
            privateSessionEnvironment(QString::fromStdString(server_.display()), home_.path());
        ibus_ = std::make_unique<IbusSession>(environment, kPinyin);
        ASSERT_TRUE(ibus_->running());
        // This process finds IBus as the program does, by its address file. It keeps off every
        // session bus: the first one this process connects to stays its session bus for good
        // (the built program on IBus's bus shows that fcitx5 is not started).
        const QProcessEnvironment& clients = ibus_->clientEnvironment();
        for (const char* name : {"DISPLAY", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
            scoped_.push_back(
                std::make_unique<ScopedEnvironment>(name, clients.value(QString::fromLatin1(name)).toUtf8()));
        for (const char* name : {"WAYLAND_DISPLAY", "IBUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS"})
            scoped_.push_back(std::make_unique<ScopedEnvironment>(name, std::nullopt));
        keyboard_.emplace(&platform::installKeyboard, server_.display().c_str());
    }

    void TearDown() override { keyboard_.reset(); }

    // A GTK entry typing through IBus, with the keyboard focus; throws when it does not come up.
    std::unique_ptr<SessionProcess> startEntry() {
        auto zenity = std::make_unique<SessionProcess>(
            ibus_->clientEnvironment(), QStringLiteral("zenity"),
            QStringList{QStringLiteral("--entry"), QStringLiteral("--title"), QStringLiteral("pinyin entry")});
        const auto window = desktop_.waitForShownWindow(QStringLiteral("pinyin entry"));
        if (!window || !desktop_.focus(*window)) throw std::runtime_error("the GTK entry did not come up");
        return zenity;
    }

    // What the entry gives back once an Enter closed it.
    static QString closedEntryText(SessionProcess& zenity) {
        if (!zenity->waitForFinished(int(kPatience.count()))) return QStringLiteral("(the entry did not close)");
        return QString::fromUtf8(zenity->readAllStandardOutput());
    }

    XvfbServer server_;
    X11Desktop desktop_{server_.display()};
    QTemporaryDir home_;
    std::unique_ptr<IbusSession> ibus_;
    std::vector<std::unique_ptr<ScopedEnvironment>> scoped_;
    std::optional<test::ScopedFake<platform::X11Keyboard, platform::Keyboard>> keyboard_;
    ScopedScriptedDialogs dialogs_;
};

TEST_F(IbusKeystrokes, PinyinComposesPlainKeysYetTheFillsArriveExactlyAndPinyinComesBackAsFound) {
    {
        // The setup: keys typed as any program types them are Pinyin's ("~" is the Enter).
        const auto plain = startEntry();
        autofill::SendKeyString(u"ni ~", true);
        ASSERT_EQ(closedEntryText(*plain), kNi + QStringLiteral("\n")) << "Pinyin does not compose plain keys";
    }
    const auto entry = startEntry();
    for (const QString& text : {kAccount, kPassword}) {
        const platform::DirectInputScope direct(platform::inputMethod(), platform::keyboard(),
                                                static_cast<std::size_t>(text.size()));
        EXPECT_EQ(ibus_->engine(), QStringLiteral("xkb:us::eng")) << "the US layout's own engine while the keys go out";
        autofill::SendKeyString(text, true);
    }
    expectIbusLeftAsFound(*ibus_);
    // Typed afterwards as the user would: Chinese mode again, and no letter of the fill left
    // composing, or "ni" would join it.
    autofill::SendKeyString(u"ni ~", true);
    EXPECT_EQ(closedEntryText(*entry), kAccount + kPassword + kNi + QStringLiteral("\n"));
    EXPECT_TRUE(dialogs_->takeTexts().empty());
}

// The built program, its hotkeys pressed, filling a Qt field that types through IBus.
class IbusFill : public AutoFillDesktop, public testing::WithParamInterface<TypingMode> {};

TEST_P(IbusFill, BothFillsArriveExactlyAndIbusIsLeftAsFound) {
    storeRecord(kAccount, kPassword);
    if (GetParam() == TypingMode::Paste) savePasteMode();
    const IbusSession ibus(home().environment(xvfb().display()), kPinyin);
    ASSERT_TRUE(ibus.running());
    // The program shares IBus's session bus, where fcitx5 could be started.
    startWith({{}, {{QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), ibus.bus().address()}}});
    chooseRecord(logIn());
    TargetProgram& target = startTarget(ibus.clientEnvironment());
    desktop().type(QStringLiteral("ni "));
    ASSERT_EQ(target.waitFor(kNi), kNi) << "Pinyin does not compose plain keys";
    target.clear();

    expectBothFilled(kAccount, kPassword);
    expectIbusLeftAsFound(ibus);
    desktop().type(QStringLiteral("ni "));
    EXPECT_EQ(target.waitFor(kPassword + kNi), kPassword + kNi) << "Chinese mode, nothing left composing";
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(AutoFill, IbusFill, testing::Values(TypingMode::Keystroke, TypingMode::Paste),
                         [](const testing::TestParamInfo<TypingMode>& info) {
                             return std::string(info.param == TypingMode::Paste ? "Paste" : "Keystroke");
                         });

}  // namespace
}  // namespace tessavo::test
