// The desktop portal's keyboard and shortcuts (GNOME and KDE on Wayland) against a fake portal
// on a private session bus: the session is set up once and answered through Request signals,
// every character arrives as its own keysym with nothing left down, a refusal or a session the
// desktop ends types nothing and says so, and a shortcut of the desktop fills as Ctrl+Right does.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <map>
#include <optional>

#include "access/Unit_Login.h"
#include "app/Unit1.h"
#include "autofill/Unit_SendKey.h"
#include "platform/base/Error.h"
#include "platform/desktop/Dialogs.h"
#include "platform/keyboard/DesktopShortcuts.h"
#include "platform/keyboard/GlobalHotkeys.h"
#include "platform/keyboard/Keyboard.h"
#include "platform/portal/PortalKeyboard.h"
#include "platform/portal/PortalProbe.h"
#include "platform/portal/PortalShortcuts.h"
#include "platform/wayland/WaylandKeymap.h"
#include "tests/support/FakePortal.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RecordingClipboard.h"
#include "tests/support/RecordingHotkeys.h"
#include "tests/support/RecordingInputMethod.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedFake.h"

using namespace tessavo;
using platform::TypingAccess;

namespace {

constexpr int kPatienceMilliseconds = 30000;

// What the fake logs for one key typed: its keysym down, then up.
QStringList typed(std::initializer_list<unsigned> keysyms) {
    QStringList lines;
    for (const unsigned keysym : keysyms) {
        lines << QStringLiteral("keysym 0x%1 down").arg(keysym, 0, 16)
              << QStringLiteral("keysym 0x%1 up").arg(keysym, 0, 16);
    }
    return lines;
}

// Every keysym that went down came up again.
void expectNothingLeftDown(const QStringList& events) {
    std::map<QString, int> held;
    for (const QString& line : events) {
        const QStringList parts = line.split(QLatin1Char(' '));
        ASSERT_EQ(parts.size(), 3) << line.toStdString();
        held[parts[1]] += parts[2] == QLatin1String("down") ? 1 : -1;
    }
    for (const auto& [keysym, count] : held) EXPECT_EQ(count, 0) << "keysym " << keysym.toStdString() << " left down";
}

// A desktop whose keyboard has the named xkb layout.
platform::PortalKeyboard::DesktopKeymap desktopLayout(const char* layout) {
    return [layout] { return platform::WaylandKeymap::fromNames({"", "", layout, "", ""}); };
}

bool waitForAnswer(platform::PortalKeyboard& keyboard) {
    return QTest::qWaitFor([&] { return keyboard.typingAccess() != TypingAccess::Asking; }, kPatienceMilliseconds);
}

class PortalKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(portal.running()); }

    // The portal keyboard as the program's keyboard, once the desktop has answered.
    platform::PortalKeyboard& installPortalKeyboard() {
        installed_.emplace(&platform::installKeyboard, portal.bus());
        EXPECT_TRUE(waitForAnswer(**installed_));
        return **installed_;
    }

    test::FakePortal portal;

private:
    std::optional<test::ScopedFake<platform::PortalKeyboard, platform::Keyboard>> installed_;
};

TEST_F(PortalKeyboardTest, TheSessionIsAskedForOnceWithTheKeyboardAndClosedAtTheEnd) {
    {
        platform::PortalKeyboard keyboard(portal.bus());
        EXPECT_EQ(keyboard.typingAccess(), TypingAccess::Asking);
        ASSERT_TRUE(waitForAnswer(keyboard));
        EXPECT_EQ(keyboard.typingAccess(), TypingAccess::Granted);
    }
    EXPECT_EQ(portal.log(), (QStringList{"RemoteDesktop.CreateSession", "RemoteDesktop.SelectDevices types=1",
                                         "RemoteDesktop.Start", "Session.Close remote-desktop"}));
}

TEST_F(PortalKeyboardTest, EveryCharacterArrivesAsItsOwnKeysymWithNothingLeftDown) {
    installPortalKeyboard();
    // Capitals, shifted and AltGr characters, and characters of no Latin layout alike: the desktop
    // finds the key and level for each.
    EXPECT_TRUE(autofill::SendKeyString(u"Aa1!@ é 中文 €~", true));
    const QStringList events = portal.logOf(QStringLiteral("keysym"));
    EXPECT_EQ(events,
              typed({0x41, 0x61, 0x31, 0x21, 0x40, 0x20, 0xe9, 0x20, 0x1004e2d, 0x1006587, 0x20, 0x20ac, 0xff0d}));
    expectNothingLeftDown(events);
    EXPECT_TRUE(portal.logOf(QStringLiteral("refused")).isEmpty());
}

TEST_F(PortalKeyboardTest, TheKeyLanguageHoldsModifiersAndNamesKeysByTheirKeysyms) {
    installPortalKeyboard();
    EXPECT_TRUE(autofill::SendKeyString(u"+a^c{TAB 2}%{F4}{DEL}", true));
    const QStringList events = portal.logOf(QStringLiteral("keysym"));
    const QStringList expected = QStringList{"keysym 0xffe1 down"} + typed({0x61}) + QStringList{"keysym 0xffe1 up"} +
                                 QStringList{"keysym 0xffe3 down"} + typed({0x63}) + QStringList{"keysym 0xffe3 up"} +
                                 typed({0xff09, 0xff09}) + QStringList{"keysym 0xffe9 down"} + typed({0xffc1}) +
                                 QStringList{"keysym 0xffe9 up"} + typed({0xffff});
    EXPECT_EQ(events, expected);
    expectNothingLeftDown(events);
}

TEST_F(PortalKeyboardTest, AKeyLeftDownIsLetGoOfAtTheEndOfTheBurst) {
    platform::PortalKeyboard keyboard(portal.bus());
    ASSERT_TRUE(waitForAnswer(keyboard));
    {
        const platform::TypingScope burst(keyboard);
        keyboard.keybdEvent(platform::vk::Control, 0, 0);
        const auto euro = static_cast<std::uint8_t>(keyboard.vkKeyScan(u'€'));
        keyboard.keybdEvent(euro, 0, 0);
        EXPECT_EQ(portal.logOf(QStringLiteral("keysym")), (QStringList{"keysym 0xffe3 down", "keysym 0x20ac down"}));
    }
    EXPECT_EQ(portal.logOf(QStringLiteral("keysym")),
              (QStringList{"keysym 0xffe3 down", "keysym 0x20ac down", "keysym 0xffe3 up", "keysym 0x20ac up"}));
}

// KDE's portal reads the first keys it is sent through a US keymap: on KDE one key that does
// nothing (Control) goes through right after the start, before any fill; elsewhere none.
TEST(PortalKeyboardStart, OnKdeOneHarmlessKeyGoesThroughRightAfterTheStart) {
    struct Case {
        std::optional<QByteArray> desktop;
        QStringList keys;
    };
    const QStringList tap{"keysym 0xffe3 down", "keysym 0xffe3 up"};
    for (const Case& c :
         {Case{"KDE", tap}, Case{"X-Other:KDE", tap}, Case{"GNOME", {}}, Case{std::nullopt, {}}, Case{"KDEX", {}}}) {
        test::FakePortal fresh;
        const test::ScopedEnvironment desktop("XDG_CURRENT_DESKTOP", c.desktop);
        test::ScopedFake<platform::PortalKeyboard, platform::Keyboard> keyboard(&platform::installKeyboard,
                                                                                fresh.bus());
        ASSERT_TRUE(waitForAnswer(*keyboard));
        EXPECT_EQ(fresh.logOf(QStringLiteral("keysym")), c.keys) << c.desktop.value_or("(none)").constData();
        EXPECT_TRUE(autofill::SendKeyString(u"{{}", true));
        EXPECT_EQ(fresh.logOf(QStringLiteral("keysym")), c.keys + typed({0x7b}));
    }
}

TEST_F(PortalKeyboardTest, TwoFillsShareOneSession) {
    installPortalKeyboard();
    EXPECT_TRUE(autofill::SendKeyString(u"é", true));
    EXPECT_TRUE(autofill::SendKeyString(u"€", true));
    EXPECT_EQ(
        portal.logOf(QStringLiteral("RemoteDesktop")),
        (QStringList{"RemoteDesktop.CreateSession", "RemoteDesktop.SelectDevices types=1", "RemoteDesktop.Start"}));
    EXPECT_EQ(portal.logOf(QStringLiteral("keysym")), typed({0xe9, 0x20ac}));
}

TEST_F(PortalKeyboardTest, ARefusalOrAnEndedSessionTypesNothing) {
    {
        portal.setStartAnswer(1);  // the user says no
        platform::PortalKeyboard keyboard(portal.bus());
        ASSERT_TRUE(waitForAnswer(keyboard));
        EXPECT_EQ(keyboard.typingAccess(), TypingAccess::Refused);
        test::ScopedFake<platform::PortalKeyboard, platform::Keyboard> installed(&platform::installKeyboard,
                                                                                 portal.bus());
        ASSERT_TRUE(waitForAnswer(*installed));
        EXPECT_EQ(installed->typingAccess(), TypingAccess::Refused);
        autofill::SendKeyString(u"abc", true);
    }
    portal.setStartAnswer(0);
    test::ScopedFake<platform::PortalKeyboard, platform::Keyboard> keyboard(&platform::installKeyboard, portal.bus());
    ASSERT_TRUE(waitForAnswer(*keyboard));
    portal.endRemoteDesktop();  // the user takes the permission back
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return keyboard->typingAccess() == TypingAccess::Ended; }, kPatienceMilliseconds));
    autofill::SendKeyString(u"abc", true);
    EXPECT_TRUE(portal.logOf(QStringLiteral("keysym")).isEmpty());
    EXPECT_TRUE(portal.logOf(QStringLiteral("refused")).isEmpty())
        << "keys were sent to a session that cannot take them";
}

TEST_F(PortalKeyboardTest, AKeyThePortalDoesNotTakeBreaksTheFillOffAndSaysSo) {
    platform::PortalKeyboard& keyboard = installPortalKeyboard();
    EXPECT_TRUE(autofill::SendKeyString(u"a", true));
    portal.failKeys();
    EXPECT_THROW(autofill::SendKeyString(u"bcd", true), Error);
    EXPECT_EQ(keyboard.typingAccess(), TypingAccess::Ended);
    // Nothing after the first key that failed was tried.
    EXPECT_EQ(portal.logOf(QStringLiteral("refused")),
              QStringList{"refused org.freedesktop.portal.RemoteDesktop.NotifyKeyboardKeysym"});
    EXPECT_EQ(portal.logOf(QStringLiteral("keysym")), typed({0x61}));
}

// A desktop started with the program may have no screen to ask on yet, and fails the Start: the
// keyboard asks again a moment later, with a new session, until the desktop can ask.
TEST_F(PortalKeyboardTest, AStartTheDesktopCannotShowYetIsTriedAgain) {
    portal.failStarts(2);
    platform::PortalKeyboard keyboard(portal.bus());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return keyboard.typingAccess() == TypingAccess::Granted; }, kPatienceMilliseconds));
    EXPECT_EQ(portal.logOf(QStringLiteral("RemoteDesktop.CreateSession")).size(), 3);
    EXPECT_EQ(portal.logOf(QStringLiteral("RemoteDesktop.Start")).size(), 3);
}

// From version 2 on the portal remembers the answer: the token it gives is kept in a file of the
// user's alone, and a later start brings it and is not asked again. A token the portal no longer
// takes leads back to asking. A portal of version 1 is asked nothing of tokens.
class PortalRestoreToken : public ::testing::Test {
protected:
    QString tokenFile() const { return dir.filePath(QStringLiteral("RemoteDesktop.token")); }
    QString storedToken() const {
        QFile file(tokenFile());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // The keyboard of one start of the program, once the desktop has answered.
    TypingAccess startOnce(test::FakePortal& desktop) {
        platform::PortalKeyboard keyboard(desktop.bus(), desktopLayout("us"), tokenFile());
        EXPECT_TRUE(waitForAnswer(keyboard));
        return keyboard.typingAccess();
    }
    static QStringList asked(test::FakePortal& desktop) { return desktop.logOf(QStringLiteral("RemoteDesktop.S")); }

    QTemporaryDir dir;
};

TEST_F(PortalRestoreToken, ALaterStartBringsTheTokenAndIsNotAskedAgain) {
    test::FakePortal portal({true, true, 2});
    EXPECT_EQ(startOnce(portal), TypingAccess::Granted);
    EXPECT_EQ(storedToken(), QStringLiteral("token-1"));
    struct stat status {};
    ASSERT_EQ(stat(QFile::encodeName(tokenFile()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    EXPECT_EQ(startOnce(portal), TypingAccess::Granted);
    EXPECT_EQ(asked(portal), (QStringList{"RemoteDesktop.SelectDevices types=1 persist_mode=2", "RemoteDesktop.Start",
                                          "RemoteDesktop.SelectDevices types=1 persist_mode=2 restore_token=token-1",
                                          "RemoteDesktop.Start restored"}));
    EXPECT_EQ(storedToken(), QStringLiteral("token-2"));
}

TEST_F(PortalRestoreToken, ATokenThePortalDoesNotTakeLeadsBackToAsking) {
    test::FakePortal portal({true, true, 2});
    QFile stale(tokenFile());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly) && stale.write("stale-token") > 0);
    stale.close();
    EXPECT_EQ(startOnce(portal), TypingAccess::Granted);
    EXPECT_EQ(asked(portal),
              (QStringList{"RemoteDesktop.SelectDevices types=1 persist_mode=2 restore_token=stale-token",
                           "RemoteDesktop.Start with an unknown token",
                           "RemoteDesktop.SelectDevices types=1 persist_mode=2", "RemoteDesktop.Start"}));
    EXPECT_EQ(storedToken(), QStringLiteral("token-1"));
}

TEST_F(PortalRestoreToken, APortalOfVersionOneIsAskedNothingOfTokens) {
    test::FakePortal portal;
    EXPECT_EQ(startOnce(portal), TypingAccess::Granted);
    EXPECT_EQ(asked(portal), (QStringList{"RemoteDesktop.SelectDevices types=1", "RemoteDesktop.Start"}));
    EXPECT_FALSE(QFile::exists(tokenFile()));
}

TEST(PortalProbe, TheVersionPropertyTellsWhatThePortalOffers) {
    struct Case {
        test::FakePortal::Offers offers;
        bool remoteDesktop;
        bool globalShortcuts;
    };
    for (const Case& c : {Case{{true, true, 1}, true, true}, Case{{true, false, 1}, true, false},
                          Case{{false, false, 1}, false, false}}) {
        test::FakePortal portal(c.offers);
        EXPECT_EQ(platform::portalOffers(portal.bus(), QStringLiteral("org.freedesktop.portal.RemoteDesktop")),
                  c.remoteDesktop);
        EXPECT_EQ(platform::portalOffers(portal.bus(), QStringLiteral("org.freedesktop.portal.GlobalShortcuts")),
                  c.globalShortcuts);
    }
    EXPECT_FALSE(platform::portalOffers(QDBusConnection(QStringLiteral("no-such-connection")),
                                        QStringLiteral("org.freedesktop.portal.RemoteDesktop")));
}

// ---- the fill through the program --------------------------------------------------------

class PortalFill : public test::ProgramFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(portal.running());
        ProgramFixture::SetUp();
    }

    // With the portal's keyboard and shortcuts as the program's: the login binds the shortcuts,
    // and a record is chosen for keystroke mode.
    // The desktop's layout is French unless a test says otherwise: it has every character the
    // record holds.
    void logInWithThePortal(bool waitForTheDesktop = true, const char* layout = "fr") {
        keyboard.emplace(&platform::installKeyboard, portal.bus(), desktopLayout(layout));
        shortcuts.emplace(&platform::installDesktopShortcuts, portal.bus());
        if (waitForTheDesktop) {
            ASSERT_TRUE(waitForAnswer(**keyboard));
        }
        logIn();
        ASSERT_TRUE(QTest::qWaitFor([&] { return (*shortcuts)->bound(); }, kPatienceMilliseconds));
        main().Edit_ZhangHao->setText(QStringLiteral("zhang"));
        main().Edit_MiMa_Temp->setText(QStringLiteral("Pé1"));
        main().RadioButton_IntoPass2->click();
    }

    // Uses the shortcut and returns the one box it brings.
    QString boxOfShortcut(const QString& id) {
        portal.use(id);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialogs->idle(); }, kPatienceMilliseconds));
        const std::vector<QString> texts = dialogs->takeTexts();
        EXPECT_EQ(texts.size(), 1u);
        return texts.empty() ? QString() : texts.front();
    }

    test::FakePortal portal;
    test::ScopedRecordingHotkeys hotkeys;
    test::ScopedRecordingClipboard clipboard;
    test::ScopedRecordingInputMethod inputMethod;
    std::optional<test::ScopedFake<platform::PortalKeyboard, platform::Keyboard>> keyboard;
    std::optional<test::ScopedFake<platform::PortalShortcuts, platform::DesktopShortcuts>> shortcuts;
};

TEST_F(PortalFill, TheLoginBindsBothShortcutsOnceAndThePasswordShortcutTypesThePassword) {
    logInWithThePortal();
    // Made with both (Plasma 5 registers those of the session's making), then bound (Plasma 6,
    // GNOME).
    QStringList bound{QStringLiteral("GlobalShortcuts.CreateSession token=tessavo")};
    for (const char* method : {"CreateSession", "BindShortcuts"}) {
        bound << QStringLiteral("GlobalShortcuts.%1 fill-account \"Ctrl + ←（自动输入帐号）\" CTRL+Left").arg(method)
              << QStringLiteral("GlobalShortcuts.%1 fill-password \"Ctrl + →（自动输入密码）\" CTRL+Right").arg(method);
    }
    EXPECT_EQ(portal.logOf(QStringLiteral("GlobalShortcuts")), bound);

    portal.use(QStringLiteral("fill-password"));
    const QStringList password = typed({0x50, 0xe9, 0x31});
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return portal.logOf(QStringLiteral("keysym")) == password; }, kPatienceMilliseconds))
        << portal.log().join(QLatin1Char('\n')).toStdString();
    portal.use(QStringLiteral("fill-account"));
    const QStringList account = typed({0x7a, 0x68, 0x61, 0x6e, 0x67});
    ASSERT_TRUE(QTest::qWaitFor([&] { return portal.logOf(QStringLiteral("keysym")) == password + account; },
                                kPatienceMilliseconds));

    // A second login asks nothing more of the desktop.
    main().HideME->trigger();
    logIn();
    QTest::qWait(100);
    EXPECT_EQ(portal.logOf(QStringLiteral("GlobalShortcuts")), bound);
    EXPECT_TRUE(dialogs->take().empty());
}

TEST_F(PortalFill, ARefusedKeyboardTellsWhatIsMissingAndWhatToDo) {
    portal.setStartAnswer(1);
    logInWithThePortal();
    const QString refused =
        QStringLiteral("无法自动输入：桌面没有允许本程序控制键盘（远程桌面门户的请求被拒绝），按键送不到当前窗口。");
    const QString restartOrX11 =
        QStringLiteral("或退出后重新启动本程序，在桌面询问时允许它控制键盘；或注销后登录 X11 会话。");

    EXPECT_EQ(boxOfShortcut(QStringLiteral("fill-password")),
              refused + QStringLiteral("请在“软件设置”中改用“帐号密码粘贴式”，再在目标窗口中按 Ctrl+V 粘贴；") +
                  restartOrX11);
    EXPECT_TRUE(portal.logOf(QStringLiteral("keysym")).isEmpty());

    // In paste mode the text is still copied for the user's own Ctrl+V.
    main().RadioButton_IntoPass1->click();
    EXPECT_EQ(boxOfShortcut(QStringLiteral("fill-account")),
              refused + QStringLiteral("帐号已复制到剪贴板，请在目标窗口中按 Ctrl+V 粘贴；") + restartOrX11);
    EXPECT_TRUE(main().Timer_ClearClipbrd->isActive());
    EXPECT_TRUE(portal.logOf(QStringLiteral("keysym")).isEmpty());
}

TEST_F(PortalFill, PasteModePastesWithCtrlVThroughThePortal) {
    logInWithThePortal();
    main().RadioButton_IntoPass1->click();
    portal.use(QStringLiteral("fill-password"));
    const QStringList ctrlV{"keysym 0xffe3 down", "keysym 0x76 down", "keysym 0x76 up", "keysym 0xffe3 up"};
    ASSERT_TRUE(QTest::qWaitFor([&] { return portal.logOf(QStringLiteral("keysym")) == ctrlV; }, kPatienceMilliseconds))
        << portal.log().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(main().Timer_ClearClipbrd->isActive());
    EXPECT_TRUE(dialogs->take().empty());
}

// KDE keeps the shortcuts of a session in a group named after its token: a later start of the
// program must find its group again, not add another.
TEST(PortalShortcuts, EveryStartAsksForTheShortcutSessionUnderTheSameToken) {
    test::FakePortal portal;
    ASSERT_TRUE(portal.running());
    const std::vector<platform::DesktopShortcuts::Shortcut> shortcuts{
        {QStringLiteral("fill-password"), QStringLiteral("password"), QStringLiteral("CTRL+Right")}};
    for (int start = 0; start < 2; ++start) {
        platform::PortalShortcuts started(portal.bus());
        started.bind(shortcuts, [](std::size_t) {});
        ASSERT_TRUE(QTest::qWaitFor([&] { return started.bound(); }, kPatienceMilliseconds));
    }
    EXPECT_EQ(portal.logOf(QStringLiteral("GlobalShortcuts.CreateSession token=")),
              QStringList(2, QStringLiteral("GlobalShortcuts.CreateSession token=tessavo")));
}

// A desktop that never tells the release still gets its fill, after the wait for the release.
TEST_F(PortalFill, AShortcutWhoseReleaseIsNeverToldFillsAllTheSame) {
    logInWithThePortal();
    portal.press(QStringLiteral("fill-password"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return portal.logOf(QStringLiteral("keysym")) == typed({0x50, 0xe9, 0x31});
        },
        kPatienceMilliseconds))
        << portal.log().join(QLatin1Char('\n')).toStdString();
}

// A character the desktop's layout lacks would be dropped by the desktop without a word: not one
// key of such a text goes out. A text the key language reads as written is pasted instead, one
// with keys of the key language is refused with the characters named.
TEST_F(PortalFill, ATextWithACharacterTheLayoutLacksIsPastedWholeOrNotTypedAtAll) {
    struct Case {
        const char* password;
        bool pasted;
    };
    const QStringList ctrlV{"keysym 0xffe3 down", "keysym 0x76 down", "keysym 0x76 up", "keysym 0xffe3 up"};
    logInWithThePortal(true, "us");
    for (const Case& c : {Case{"Pé中x", true}, Case{"+pé{TAB}中", false}}) {
        SCOPED_TRACE(c.password);
        const QString password = QString::fromUtf8(c.password);
        main().Edit_MiMa_Temp->setText(password);
        clipboard->text.clear();
        const qsizetype before = portal.logOf(QStringLiteral("keysym")).size();
        const auto keysSent = [&] { return portal.logOf(QStringLiteral("keysym")).mid(before); };
        if (c.pasted) {
            portal.use(QStringLiteral("fill-password"));
            ASSERT_TRUE(QTest::qWaitFor([&] { return keysSent() == ctrlV; }, kPatienceMilliseconds))
                << portal.log().join(QLatin1Char('\n')).toStdString();
            EXPECT_EQ(clipboard->text, password);
            EXPECT_TRUE(main().Timer_ClearClipbrd->isActive());
            EXPECT_TRUE(dialogs->take().empty());
        } else {
            EXPECT_EQ(boxOfShortcut(QStringLiteral("fill-password")),
                      QStringLiteral("无法自动输入：桌面的键盘布局中没有字符“é中”，按键打不出它；为免只输入一部分，"
                                     "什么也没有输入。请在“软件设置”中改用“帐号密码粘贴式”，再自动输入。"));
            EXPECT_TRUE(keysSent().isEmpty());
            EXPECT_TRUE(clipboard->text.isEmpty());
        }
    }
}

// While the desktop still asks, and after it took the permission back, a fill says so too.
TEST_F(PortalFill, AFillWhileTheDesktopAsksOrAfterItEndedTheSessionSaysSo) {
    portal.setStartAnswer(test::FakePortal::kNoAnswer);
    logInWithThePortal(false);
    ASSERT_EQ((*keyboard)->typingAccess(), TypingAccess::Asking);
    EXPECT_EQ(boxOfShortcut(QStringLiteral("fill-password")),
              QStringLiteral(
                  "无法自动输入：桌面还在询问是否允许本程序控制键盘（远程桌面门户），请先在桌面弹出的对话框中允许，"
                  "再自动输入。请在“软件设置”中改用“帐号密码粘贴式”，再在目标窗口中按 Ctrl+V 粘贴；"
                  "或注销后登录 X11 会话。"));

    portal.setStartAnswer(0);
    keyboard.emplace(&platform::installKeyboard, portal.bus());  // a later start, allowed this time
    ASSERT_TRUE(waitForAnswer(**keyboard));
    portal.endRemoteDesktop();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return (*keyboard)->typingAccess() == TypingAccess::Ended; }, kPatienceMilliseconds));
    EXPECT_EQ(
        boxOfShortcut(QStringLiteral("fill-account")),
        QStringLiteral("无法自动输入：桌面已收回本程序控制键盘的权限（远程桌面门户的会话已结束），按键送不到当前窗口。"
                       "请在“软件设置”中改用“帐号密码粘贴式”，再在目标窗口中按 Ctrl+V 粘贴；"
                       "或退出后重新启动本程序，在桌面询问时允许它控制键盘；或注销后登录 X11 会话。"));
    EXPECT_TRUE(portal.logOf(QStringLiteral("keysym")).isEmpty());
}

// ---- a keyboard that cannot be made --------------------------------------------------------

// Asking the keyboard whether it may type must not move the failure of a keyboard that cannot be
// made at all (no X display to type on): paste mode still copies first, then the error is shown.
class KeyboardThatCannotBeMade : public test::ProgramFixture {
protected:
    void SetUp() override {
        previous_ = platform::installKeyboard(nullptr);  // the real one, made on first use
        ProgramFixture::SetUp();
    }
    void TearDown() override {
        ProgramFixture::TearDown();
        platform::installKeyboard(std::move(previous_));
    }

    test::ScopedEnvironment display{"DISPLAY", QByteArray(":4711")};  // no X server there
    test::ScopedRecordingHotkeys hotkeys;
    test::ScopedRecordingClipboard clipboard;
    test::ScopedRecordingInputMethod inputMethod;

private:
    std::unique_ptr<platform::Keyboard> previous_;
};

TEST_F(KeyboardThatCannotBeMade, PasteModeCopiesAndThenShowsTheError) {
    logIn();
    main().Edit_ZhangHao->setText(QStringLiteral("zhang"));
    main().Edit_MiMa_Temp->setText(QStringLiteral("secret"));
    main().RadioButton_IntoPass1->click();
    ASSERT_TRUE(hotkeys->press(platform::ModControl, platform::vk::Right));
    EXPECT_EQ(clipboard->text, QStringLiteral("secret"));
    EXPECT_TRUE(main().Timer_ClearClipbrd->isActive());
    const std::vector<platform::Dialogs::Box> boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes.front().text.contains(QStringLiteral("cannot open the X display")))
        << boxes.front().text.toStdString();
}

}  // namespace
