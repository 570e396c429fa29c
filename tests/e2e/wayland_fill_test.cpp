// Filling in a Wayland session of a wlroots compositor (a private, headless sway): the keeper
// runs through Xwayland, the user's compositor bindings run `tessavo --fill`, and the keys come
// through the keeper's own virtual keyboard into native Wayland programs (foot, a GTK entry)
// and X11 ones (xterm through Xwayland), exactly as stored, in any layout.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <csignal>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/e2e/AutoFillDesktop.h"
#include "tests/support/Fcitx5Profile.h"
#include "tests/support/KeyLanguageText.h"
#include "tests/support/SessionProcesses.h"
#include "tests/support/SwaySession.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

// Every character of a keyboard's printable ASCII, and some a US keyboard lacks.
QString everyCharacterToType() {
    QString text;
    for (char16_t ch = 0x20; ch < 0x7F; ++ch) text += QChar(ch);
    return text + QStringLiteral("é 中文 €");
}

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class WaylandFill : public AutoFillDesktop {
protected:
    void SetUp() override {
        if (!SwaySession::available()) GTEST_SKIP() << "sway is not installed";
        AutoFillDesktop::SetUp();
    }

    void TearDown() override {
        session_.reset();
        AutoFillDesktop::TearDown();
    }

    // The session with the two bindings a user of sway writes for the keeper.
    void startSession(const char* layout) {
        const QProcessEnvironment keeper = home().environment("");
        QString fill = QStringLiteral("exec env XDG_RUNTIME_DIR=%1 HOME=%2 TESSAVO_DIALOG_LOG=%3 %4 --fill")
                           .arg(keeper.value("XDG_RUNTIME_DIR"), keeper.value("HOME"),
                                keeper.value("TESSAVO_DIALOG_LOG"), home().executable());
        session_ = std::make_unique<SwaySession>(
            SwaySession::Options{QString::fromLatin1(layout),
                                 {QStringLiteral("bindsym Ctrl+Left %1 account").arg(fill),
                                  QStringLiteral("bindsym Ctrl+Right %1 password").arg(fill)}});
    }

    // The keeper, started by the session's user in the session, logged in, a record chosen.
    // more: environment variables besides the session's (its own bus, say).
    void startKeeperAndChooseRecord(const std::vector<std::pair<QString, std::optional<QString>>>& more = {}) {
        // The application folder and the home lie side by side in one folder.
        session_->handOver(QFileInfo(QDir(home().appDir()).absolutePath()).absolutePath());
        const QStringList command = session_->asSessionUser({home().executable()});
        StartOptions options{command.mid(1),
                             {{"WAYLAND_DISPLAY", session_->waylandSocket()},
                              {"DISPLAY", session_->xDisplay()},
                              {"XDG_SESSION_TYPE", QStringLiteral("wayland")}}};
        options.environment.insert(options.environment.end(), more.begin(), more.end());
        ProgramProcess& keeper = startFrom(QStandardPaths::findExecutable(command.front()), home().appDir(), options);
        ASSERT_TRUE(session_->waitForFocus(loginTitle())) << keeper.output().toStdString();
        session_->type(QStringLiteral("vorel~"));
        ASSERT_TRUE(session_->waitForFocus(mainCaption())) << keeper.output().toStdString();
        const std::optional<QRect> main = session_->contentRect(mainCaption());
        ASSERT_TRUE(main);
        session_->click(main->topLeft() + fillPlace::kGridRows);
        if (!waitUntil([this] { return recordChosen(); })) {
            // What the session showed, for the review of the failure.
            const QString picture = QString::fromUtf8(TESSAVO_SCREENSHOT_DIR) + "/wayland-no-record-chosen.png";
            session_->run({"grim", session_->sharedDir() + "/screen.png"});
            QDir().mkpath(QString::fromUtf8(TESSAVO_SCREENSHOT_DIR));
            QFile::remove(picture);
            QFile::copy(session_->sharedDir() + "/screen.png", picture);
            FAIL() << "the click on the grid chose no record";
        }
        EXPECT_TRUE(home().shownBoxes().isEmpty()) << home().shownBoxes().join(u'|').toStdString();
    }

    // A terminal of the session whose shell writes every byte it gets into a file; the file.
    QString startTerminal(const QStringList& terminal, const QString& title, const QProcessEnvironment& environment) {
        const QString output = session_->sharedDir() + QStringLiteral("/%1.txt").arg(++targets_);
        session_->startClient(terminal + QStringList{"-e", "sh", "-c", "stty raw -echo; exec cat > " + output},
                              environment);
        if (!session_->waitForFocus(title)) ADD_FAILURE() << "the terminal " << title.toStdString() << " has no focus";
        return output;
    }

    // The session's own bus, where the services of the system's service files start on demand;
    // its address, empty when it does not come up.
    QString startSessionBus(const QProcessEnvironment& environment) {
        QProcess& bus =
            session_->startClient({"dbus-daemon", "--session", "--nofork", "--print-address=1"}, environment);
        if (!waitUntil([&] { return bus.canReadLine() || bus.waitForReadyRead(100); })) return {};
        return QString::fromUtf8(bus.readLine().trimmed());
    }

    // The binding pressed as the user presses it, from outside.
    void pressBinding(const char* key) { ASSERT_TRUE(session_->wtype({"-M", "ctrl", "-k", key, "-m", "ctrl"})); }

    QString waitForText(const QString& path, const QString& expected) {
        waitUntil([&] { return readText(path) == expected; });
        return readText(path);
    }

    std::unique_ptr<SwaySession> session_;
    int targets_ = 0;
};

class WaylandFillLayouts : public WaylandFill, public testing::WithParamInterface<const char*> {};

TEST_P(WaylandFillLayouts, TheBindingsTypeEveryCharacterIntoANativeTerminal) {
    const QString password = everyCharacterToType();
    storeRecord(QStringLiteral("alice"), spelledInKeyLanguage(password));
    startSession(GetParam());
    ASSERT_NO_FATAL_FAILURE(startKeeperAndChooseRecord());
    const QString typed = startTerminal({"foot"}, QStringLiteral("foot"), session_->clientEnvironment());

    pressBinding("Right");
    EXPECT_EQ(waitForText(typed, password), password);
    // Then the account: in lower case, so no Shift or AltGr of the password is still down.
    pressBinding("Left");
    EXPECT_EQ(waitForText(typed, password + QStringLiteral("alice")), password + QStringLiteral("alice"));
    EXPECT_TRUE(home().shownBoxes().isEmpty()) << home().shownBoxes().join(u'|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Sway, WaylandFillLayouts, testing::Values("us", "de"));

TEST_F(WaylandFill, TypesIntoAnXwaylandTerminal) {
    const QString password = QStringLiteral("Xw@y-land|中€é~");
    // The account's ø takes the spare key the password's 中 had: X11 programs must see the change.
    storeRecord(QStringLiteral("bøb"), spelledInKeyLanguage(password));
    startSession("de");
    ASSERT_NO_FATAL_FAILURE(startKeeperAndChooseRecord());
    QProcessEnvironment x11 = session_->clientEnvironment();
    x11.remove(QStringLiteral("WAYLAND_DISPLAY"));  // an X11 program, through the session's Xwayland
    const QString typed = startTerminal({"xterm", "-T", "xterm-target"}, QStringLiteral("xterm-target"), x11);

    pressBinding("Right");
    EXPECT_EQ(waitForText(typed, password), password);
    pressBinding("Left");
    EXPECT_EQ(waitForText(typed, password + QStringLiteral("bøb")), password + QStringLiteral("bøb"));
}

TEST_F(WaylandFill, TypesIntoAGtkEntryAndItsEnterKey) {
    // The key language's "~" is Enter: on the layout's own Return key, which GTK insists on.
    const QString password = QStringLiteral("Gtk-pässwörd@中€");
    storeRecord(QStringLiteral("carol"), spelledInKeyLanguage(password) + QStringLiteral("~"));
    startSession("us");
    ASSERT_NO_FATAL_FAILURE(startKeeperAndChooseRecord());
    QProcessEnvironment gtk = session_->clientEnvironment();
    gtk.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("wayland"));
    QProcess& entry = session_->startClient({"zenity", "--entry", "--title=gtk-target", "--text=target"}, gtk);
    ASSERT_TRUE(session_->waitForFocus(QStringLiteral("gtk-target")));

    pressBinding("Right");
    ASSERT_TRUE(entry.waitForFinished(static_cast<int>(kPatience.count()))) << "Enter did not reach the entry";
    EXPECT_EQ(QString::fromUtf8(entry.readAllStandardOutput()).trimmed(), password);
}

// fcitx5 is installed, and the session's bus would start it for anyone asking for it; it would
// then take over from the input method the user runs. A fill asks only a running one.
TEST_F(WaylandFill, AFillStartsNoInputMethodOnTheSessionsBus) {
    const QString password = QStringLiteral("no-im-started");
    storeRecord(QStringLiteral("frank"), password);
    startSession("us");
    const QString bus = startSessionBus(session_->clientEnvironment());
    ASSERT_FALSE(bus.isEmpty());
    ASSERT_NO_FATAL_FAILURE(startKeeperAndChooseRecord({{QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus}}));
    const QString typed = startTerminal({"foot"}, QStringLiteral("foot"), session_->clientEnvironment());

    pressBinding("Right");
    EXPECT_EQ(waitForText(typed, password), password);
    // The bus starts what the keeper asks for otherwise (the desktop portal), but no input method.
    const QStringList started = programsStartedBy(bus);
    for (const QString& inputMethod : {QStringLiteral("fcitx5"), QStringLiteral("ibus-daemon")})
        EXPECT_FALSE(started.contains(inputMethod)) << inputMethod.toStdString() << " was started";
}

// fcitx5 as the session's input method, on the session's own bus, with Pinyin active for a GTK
// entry: it composes the keys of the user's keyboard, yet the fill arrives exactly through the
// keeper's virtual keyboard, and Pinyin is active again afterwards with nothing left composing.
TEST_F(WaylandFill, TypesPastAnActivePinyinOfTheSessionsFcitx5) {
    storeRecord(QStringLiteral("erin"), QStringLiteral("abc123 hello"));
    startSession("us");
    const QString inputHome = session_->sharedDir() + QStringLiteral("/im-home");
    ASSERT_TRUE(writeFcitx5PinyinProfile(inputHome));
    session_->handOver(inputHome);
    QProcessEnvironment im = session_->clientEnvironment();
    im.insert(QStringLiteral("HOME"), inputHome);
    im.insert(QStringLiteral("XDG_CONFIG_HOME"), inputHome + QStringLiteral("/.config"));
    const QString busAddress = startSessionBus(im);
    ASSERT_FALSE(busAddress.isEmpty());
    im.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    session_->startClient({"fcitx5", "--disable=notificationitem,kimpanel,classicui,clipboard"}, im);
    // The keeper on the session's bus, telling when it has switched the input method back on.
    ASSERT_NO_FATAL_FAILURE(startKeeperAndChooseRecord(
        {{QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress},
         {QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("tessavo.platform.debug=true")}}));
    QProcessEnvironment gtk = im;
    gtk.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("wayland"));
    gtk.insert(QStringLiteral("GTK_IM_MODULE"), QStringLiteral("fcitx"));
    // Pinyin switched on for the focused entry, as the user's Ctrl+Space does.
    const auto startEntry = [&](const QString& title) -> QProcess& {
        QProcess& entry = session_->startClient({"zenity", "--entry", "--title=" + title, "--text=target"}, gtk);
        if (!session_->waitForFocus(title)) ADD_FAILURE() << title.toStdString() << " has no focus";
        const bool active = waitUntil([&] {
            const QStringList remote{"env", "DBUS_SESSION_BUS_ADDRESS=" + busAddress, "fcitx5-remote"};
            session_->run(remote + QStringList{"-o"});
            return session_->run(remote).standardOutput.trimmed() == "2";
        });
        if (!active) ADD_FAILURE() << "Pinyin did not come on for " << title.toStdString();
        return entry;
    };
    const auto closedText = [](QProcess& entry) {
        if (!entry.waitForFinished(static_cast<int>(kPatience.count()))) return QStringLiteral("(still open)");
        return QString::fromUtf8(entry.readAllStandardOutput());
    };

    // The setup: the user's keys are Pinyin's ("~" is the Enter).
    QProcess& plain = startEntry(QStringLiteral("pinyin-plain"));
    session_->type(QStringLiteral("ni ~"));
    ASSERT_EQ(closedText(plain), QStringLiteral("你\n")) << "Pinyin does not compose the user's keys";

    QProcess& entry = startEntry(QStringLiteral("pinyin-fill"));
    pressBinding("Right");
    ASSERT_TRUE(waitUntil([&] { return program().output().contains("the input method is switched back on: true"); }))
        << program().output().toStdString();
    // Typed afterwards by the user: Pinyin is on again, with nothing of the fill composing.
    session_->type(QStringLiteral("ni ~"));
    EXPECT_EQ(closedText(entry), QStringLiteral("abc123 hello你\n"));
}

}  // namespace
}  // namespace tessavo::test

namespace tessavo::test {
namespace {

// What a paste of the session's selection gives; none when it is empty.
std::optional<QString> pasted(const SwaySession& session, const char* selection) {
    QStringList command{"wl-paste", "--no-newline"};
    if (std::string_view(selection) == "primary") command << "--primary";
    const ProgramRun run = session.run(command);
    if (!run.finished || run.exitCode != 0) return std::nullopt;
    return QString::fromUtf8(run.standardOutput);
}

// Paste mode in the Wayland session: the copy goes to the compositor's clipboard through data
// control, Ctrl+V through the keeper's virtual keyboard into a native terminal that pastes on it;
// 60 seconds later both selections are empty, and so they are once the keeper has ended,
// however it ended.
TEST_F(WaylandFill, PasteModePastesIntoANativeTerminalAndTheWipeEmptiesBothSelections) {
    const QString password = QStringLiteral("Paste-中文 €é");
    storeRecord(QStringLiteral("dave"), password);
    savePasteMode();
    startSession("us");
    ASSERT_NO_FATAL_FAILURE(startKeeperAndChooseRecord());
    const QString typed = startTerminal({"foot", "-o", "key-bindings.clipboard-paste=Control+v"},
                                        QStringLiteral("foot"), session_->clientEnvironment());

    pressBinding("Right");
    EXPECT_EQ(waitForText(typed, password), password);
    EXPECT_EQ(pasted(*session_, "clipboard"), password);
    EXPECT_NE(pasted(*session_, "primary"), password) << "the password went to the primary selection";
    const ProgramRun types = session_->run({"wl-paste", "--list-types"});
    EXPECT_TRUE(types.standardOutput.contains("x-kde-passwordManagerHint")) << types.standardOutput.toStdString();

    // What another program put on the primary selection afterwards goes too.
    ASSERT_EQ(session_->run({"wl-copy", "--primary", "selected elsewhere"}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return pasted(*session_, "primary") == QStringLiteral("selected elsewhere"); }));
    // The timer's 60 seconds, with room for a loaded machine.
    EXPECT_TRUE(waitUntil([&] { return !pasted(*session_, "clipboard") && !pasted(*session_, "primary"); },
                          std::chrono::seconds(120)))
        << "still there: " << pasted(*session_, "clipboard").value_or("").toStdString() << " | "
        << pasted(*session_, "primary").value_or("").toStdString();
    EXPECT_TRUE(program().running());

    pressBinding("Right");
    EXPECT_EQ(waitForText(typed, password + password), password + password) << "the next paste takes the clipboard";
    ASSERT_EQ(kill(static_cast<pid_t>(program().pid()), SIGTERM), 0);
    program().waitForExit();
    ASSERT_FALSE(program().running());
    EXPECT_TRUE(waitUntil([&] { return !pasted(*session_, "clipboard"); })) << "the copy outlived the keeper";
}

}  // namespace
}  // namespace tessavo::test
