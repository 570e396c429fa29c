// Paste mode into real terminals, which read Ctrl+V as a control character: each gets its own
// paste key (xterm Shift+Insert from the primary selection, the VTE terminal xfce4-terminal and
// Konsole Ctrl+Shift+V), so that a shell in it gets the password byte for byte. The other programs
// keep getting Ctrl+V (the paste cases of autofill_hotkeys_test).
#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <csignal>

#include "tests/e2e/AutoFillDesktop.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

struct TerminalCase {
    const char* name;
    const char* program;
    // The arguments up to the command it runs, "%1" standing for the window's title.
    QStringList arguments;
    const char* titleSuffix;  // what the terminal adds to the title it is given
    bool ownSessionBus;       // GTK's and KDE's terminals want one
    bool pastesPrimary;       // its paste key reads the primary selection
};

void PrintTo(const TerminalCase& c, std::ostream* out) { *out << c.name; }

// Not ASCII only: the paste carries UTF-8 as it stands.
const QString kPassword = QStringLiteral("Pw-9 x!#$%&'\"*,./:;<=>?@[\\]_`|中文");

class TerminalPaste : public AutoFillDesktop, public testing::WithParamInterface<TerminalCase> {
protected:
    void TearDown() override {
        // The terminal's own session bus and what that bus started outlive a killed
        // dbus-run-session: the whole process group goes.
        if (const qint64 group = terminal_.processId(); group > 0) ::kill(-static_cast<pid_t>(group), SIGKILL);
        terminal_.kill();
        terminal_.waitForFinished();
        AutoFillDesktop::TearDown();
    }

    // The terminal runs a shell that takes the terminal's bytes raw, without waiting for a line's
    // end, until it has as many as the password holds: a control character arrives as itself.
    XWindowId startTerminal(const QString& output) {
        const TerminalCase& c = GetParam();
        const QString title = QStringLiteral("terminal-paste-target");
        const QString shell = QStringLiteral("stty raw -echo; dd bs=1 count=%1 of='%2' 2>/dev/null")
                                  .arg(kPassword.toUtf8().size())
                                  .arg(output);
        QStringList arguments;
        for (const QString& argument : c.arguments) arguments << QString(argument).replace(QStringLiteral("%1"), title);
        arguments << QStringLiteral("sh") << QStringLiteral("-c") << shell;
        QString program = QString::fromLatin1(c.program);
        if (c.ownSessionBus) {
            arguments.prepend(program);
            arguments.prepend(QStringLiteral("--"));
            program = QStringLiteral("dbus-run-session");
        }
        QProcessEnvironment environment = home().environment(xvfb().display());
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));  // no accessibility bus of its own
        terminal_.setProcessEnvironment(environment);
        // A process group of its own, so that the bus daemon and the services it starts go with it; and
        // their output in a file, never on the test runner's pipe, which a straggler would hold open.
        terminal_.setChildProcessModifier([] { ::setpgid(0, 0); });
        const QString log = QDir(home().homeDir()).filePath(QStringLiteral("terminal.log"));
        terminal_.setStandardOutputFile(log);
        terminal_.setStandardErrorFile(log, QIODevice::Append);
        terminal_.start(program, arguments);
        const auto window = desktop().waitForShownWindow(title + QString::fromUtf8(c.titleSuffix));
        if (!window) throw std::runtime_error(std::string(c.program) + " did not come up");
        if (!desktop().focus(*window)) throw std::runtime_error(std::string(c.program) + " does not take the focus");
        return *window;
    }

    QProcess terminal_;
};

QString contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST_P(TerminalPaste, ThePasswordArrivesWhole) {
    if (QStandardPaths::findExecutable(QString::fromLatin1(GetParam().program)).isEmpty())
        GTEST_SKIP() << GetParam().program << " is not installed";
    storeRecord(QStringLiteral("alice"), kPassword);
    savePasteMode();
    startAndChooseRecord();
    const QString output = QDir(home().homeDir()).filePath(QStringLiteral("terminal-line"));
    startTerminal(output);

    press("ctrl+Right");

    waitUntil([&] { return contentOf(output) == kPassword; });
    EXPECT_EQ(contentOf(output), kPassword);
    EXPECT_EQ(clipboardText(), kPassword);
    EXPECT_EQ(clipboardText("primary"), GetParam().pastesPrimary ? kPassword : QString());
}

INSTANTIATE_TEST_SUITE_P(
    Terminals, TerminalPaste,
    testing::Values(TerminalCase{"xterm", "xterm", {"-u8", "-T", "%1", "-e"}, "", false, true},
                    TerminalCase{
                        "xfce4Terminal", "xfce4-terminal", {"--disable-server", "-T", "%1", "-x"}, "", true, false},
                    TerminalCase{"konsole",
                                 "konsole",
                                 {"--separate", "--nofork", "-p", "LocalTabTitleFormat=%1", "-e"},
                                 " — Konsole",
                                 true,
                                 false}),
    [](const testing::TestParamInfo<TerminalCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tessavo::test
