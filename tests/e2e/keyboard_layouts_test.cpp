// Typing on every keyboard layout, into programs the tests do not own (xterm reading a line, a
// GTK entry of zenity) and into the project's own target program: every character arrives,
// nothing else does, and after each burst the keymap is as it was and no key is left down.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "autofill/Unit_SendKey.h"
#include "platform/keyboard/Keyboard.h"
#include "platform/x11/X11Keyboard.h"
#include "tests/e2e/AutoFillDesktop.h"
#include "tests/support/KeyLanguageText.h"
#include "tests/support/ScopedFake.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/X11Desktop.h"
#include "tests/support/XvfbServer.h"

// Xlib's macros come after every other header.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace tessavo::test {
namespace {

// Every printable ASCII character that is not a command of the key language, then characters
// that most layouts give at other levels or not at all.
QString passwordText() {
    return QString::fromLatin1(printableAsciiOutsideKeyLanguage()) + QStringLiteral("é ß € 中文");
}

QProcessEnvironment clientEnvironment(const std::string& display) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QString::fromStdString(display));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("XMODIFIERS"));
    environment.remove(QStringLiteral("GTK_IM_MODULE"));
    environment.remove(QStringLiteral("QT_IM_MODULE"));
    return environment;
}

// A program of someone else's that takes one line of text from the keyboard.
class LineClient {
public:
    virtual ~LineClient() = default;
    // Starts it and gives its window the keyboard focus.
    virtual void start(X11Desktop& desktop, const QProcessEnvironment& environment) = 0;
    // Types the line and its Enter; what the program got.
    virtual QString typeLine(const QString& text) = 0;
};

// xterm running a shell that reads one line and writes it to a file.
class XtermLine : public LineClient {
public:
    void start(X11Desktop& desktop, const QProcessEnvironment& environment) override {
        out_ = QDir(dir_.path()).filePath(QStringLiteral("line"));
        process_.setProcessEnvironment(environment);
        process_.start(QStringLiteral("xterm"),
                       {QStringLiteral("-T"), kTitle, QStringLiteral("-u8"), QStringLiteral("-e"), QStringLiteral("sh"),
                        QStringLiteral("-c"), QStringLiteral("IFS= read -r l; printf %s \"$l\" > '%1'").arg(out_)});
        const auto window = desktop.waitForShownWindow(kTitle);
        ASSERT_TRUE(window) << "xterm did not come up";
        ASSERT_TRUE(desktop.focus(*window));
    }
    QString typeLine(const QString& text) override {
        autofill::SendKeyString(text + QStringLiteral("~"), true);
        if (!waitUntil([&] { return process_.state() == QProcess::NotRunning || process_.waitForFinished(50); })) {
            ADD_FAILURE() << "the line did not end";
        }
        QFile file(out_);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<nothing>");
    }
    ~XtermLine() override {
        process_.kill();
        process_.waitForFinished();
    }

private:
    const QString kTitle = QStringLiteral("xterm reading a line");
    QTemporaryDir dir_;
    QString out_;
    QProcess process_;
};

// zenity's GTK entry, which prints the text when Enter closes it.
class ZenityEntry : public LineClient {
public:
    void start(X11Desktop& desktop, const QProcessEnvironment& environment) override {
        process_.setProcessEnvironment(environment);
        process_.start(QStringLiteral("zenity"), {QStringLiteral("--entry"), QStringLiteral("--title"), kTitle});
        const auto window = desktop.waitForShownWindow(kTitle);
        ASSERT_TRUE(window) << "zenity did not come up";
        ASSERT_TRUE(desktop.focus(*window));
    }
    QString typeLine(const QString& text) override {
        autofill::SendKeyString(text + QStringLiteral("~"), true);
        if (!process_.waitForFinished(int(kPatience.count()))) ADD_FAILURE() << "the entry did not close";
        QString line = QString::fromUtf8(process_.readAllStandardOutput());
        if (line.endsWith(u'\n')) line.chop(1);
        return line;
    }
    ~ZenityEntry() override {
        process_.kill();
        process_.waitForFinished();
    }

private:
    const QString kTitle = QStringLiteral("zenity entry");
    QProcess process_;
};

struct LayoutCase {
    const char* name;
    std::vector<std::string> setxkbmap;
    int group;  // the group made active after the layout is set, from 0
};

class KeyboardLayouts : public ::testing::TestWithParam<LayoutCase> {
protected:
    static void SetUpTestSuite() { server_ = std::make_unique<XvfbServer>(); }
    static void TearDownTestSuite() { server_.reset(); }

    void SetUp() override {
        std::vector<std::string> command{"setxkbmap"};
        command.insert(command.end(), GetParam().setxkbmap.begin(), GetParam().setxkbmap.end());
        ASSERT_EQ(server_->run(command), 0);
        display_ = XOpenDisplay(server_->display().c_str());
        ASSERT_NE(display_, nullptr);
        XkbLockGroup(display_, XkbUseCoreKbd, static_cast<unsigned>(GetParam().group));
        XSync(display_, False);
        ASSERT_EQ(activeGroup(), GetParam().group);
        desktop_ = std::make_unique<X11Desktop>(server_->display());
        keyboard_.emplace(&platform::installKeyboard, server_->display().c_str());
    }

    void TearDown() override {
        keyboard_.reset();
        desktop_.reset();
        if (display_) {
            XkbLockGroup(display_, XkbUseCoreKbd, 0);
            XCloseDisplay(display_);
        }
    }

    int activeGroup() {
        XkbStateRec state{};
        XkbGetState(display_, XkbUseCoreKbd, &state);
        return state.group;
    }

    QString keymapText() {
        QProcess xmodmap;
        xmodmap.setProcessEnvironment(clientEnvironment(server_->display()));
        xmodmap.start(QStringLiteral("xmodmap"), {QStringLiteral("-pke")});
        xmodmap.waitForFinished(int(kPatience.count()));
        return QString::fromUtf8(xmodmap.readAllStandardOutput());
    }

    std::vector<int> keysDown() {
        char keys[32];
        XQueryKeymap(display_, keys);
        std::vector<int> down;
        for (int code = 0; code < 256; ++code) {
            if (keys[code / 8] & (1 << (code % 8))) down.push_back(code);
        }
        return down;
    }

    // Types the password into the client and checks all that a burst must leave behind.
    void expectTypedInto(LineClient& client, const char* clientName) {
        const QString before = keymapText();
        ASSERT_FALSE(before.isEmpty());
        client.start(*desktop_, clientEnvironment(server_->display()));
        if (testing::Test::HasFatalFailure()) return;
        EXPECT_EQ(client.typeLine(passwordText()), passwordText()) << clientName;
        EXPECT_TRUE(dialogs_->takeTexts().empty()) << clientName << ": no character was refused";
        EXPECT_EQ(keymapText(), before) << clientName << ": the keymap is as it was";
        EXPECT_EQ(keysDown(), std::vector<int>{}) << clientName;
        EXPECT_EQ(activeGroup(), GetParam().group) << clientName;
    }

    static inline std::unique_ptr<XvfbServer> server_;
    Display* display_ = nullptr;
    std::unique_ptr<X11Desktop> desktop_;
    std::optional<test::ScopedFake<platform::X11Keyboard, platform::Keyboard>> keyboard_;
    ScopedScriptedDialogs dialogs_;
};

TEST_P(KeyboardLayouts, EveryCharacterArrivesInXterm) {
    XtermLine xterm;
    expectTypedInto(xterm, "xterm");
}

TEST_P(KeyboardLayouts, EveryCharacterArrivesInAGtkEntry) {
    ZenityEntry zenity;
    expectTypedInto(zenity, "zenity");
}

TEST_P(KeyboardLayouts, EveryCharacterArrivesInTheTargetProgram) {
    const QString before = keymapText();
    QTemporaryDir dir;
    TargetProgram target(*desktop_, clientEnvironment(server_->display()), QDir(dir.path()).filePath("field"));
    ASSERT_TRUE(target.focus());
    autofill::SendKeyString(passwordText(), true);
    EXPECT_EQ(target.waitFor(passwordText()), passwordText());
    EXPECT_TRUE(dialogs_->takeTexts().empty());
    EXPECT_EQ(keymapText(), before);
    EXPECT_EQ(keysDown(), std::vector<int>{});
}

INSTANTIATE_TEST_SUITE_P(X11, KeyboardLayouts,
                         testing::Values(LayoutCase{"us", {"-layout", "us"}, 0}, LayoutCase{"de", {"-layout", "de"}, 0},
                                         LayoutCase{"fr", {"-layout", "fr"}, 0}, LayoutCase{"ru", {"-layout", "ru"}, 0},
                                         LayoutCase{"us_ru_second_group", {"-layout", "us,ru"}, 1}),
                         [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tessavo::test
