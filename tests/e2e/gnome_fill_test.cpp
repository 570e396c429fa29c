// Filling on the real GNOME desktop (a private, headless mutter with GNOME's desktop portal): the
// keeper, built hardened as its release is, runs through Xwayland, asks the portal for the
// keyboard at start, the user answers GNOME's own question, and `tessavo --fill` types into a
// native Wayland GTK entry through the portal: every printable character exactly, nothing left
// held; a text with characters the layout lacks is pasted whole or refused, never typed in part;
// a refusal says so with its own message. The hardened keeper stays unreadable to the user's
// other processes once the portal knows it, and leaves no core files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <iostream>
#include <memory>
#include <optional>

#include "tests/e2e/AutoFillDesktop.h"
#include "tests/support/FileBytes.h"
#include "tests/support/GnomeSession.h"
#include "tests/support/KeyLanguageText.h"
#include "tests/support/SessionUser.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

const QString kTarget = QStringLiteral("zenity");

QString readText(const QString& path) { return QString::fromStdString(readBytes(path)); }

class GnomeFill : public AutoFillDesktop {
protected:
    void SetUp() override {
        if (!GnomeSession::available()) GTEST_SKIP() << "mutter or GNOME's desktop portal is not installed";
        AutoFillDesktop::SetUp();
    }

    void TearDown() override {
        if (HasFailure() && session_) std::cerr << "the desktop's logs:\n" << session_->logs().toStdString();
        session_.reset();
        AutoFillDesktop::TearDown();
    }

    // The keeper as its release build hardens itself, in place of the copy the home holds.
    void installHardenedKeeper() {
        QFile::remove(home().executable());
        ASSERT_TRUE(
            QFile::copy(QString::fromUtf8(TESSAVO_BIN_DIR) + QStringLiteral("/tessavo_hardened"), home().executable()));
    }

    // The desktop, the keeper started in it by the session's user, the portal's question answered.
    void startKeeper(bool allow) {
        ASSERT_NO_FATAL_FAILURE(installHardenedKeeper());
        session_ = std::make_unique<GnomeSession>();
        const QString folder = QFileInfo(QDir(home().appDir()).absolutePath()).absolutePath();
        handOverToSessionUser(folder);
        const QStringList command = asSessionUser({home().executable()});
        keeper_ = &startFrom(QStandardPaths::findExecutable(command.front()), home().appDir(),
                             {command.mid(1),
                              {{"WAYLAND_DISPLAY", session_->waylandSocket()},
                               {"DISPLAY", session_->xDisplay()},
                               {"XAUTHORITY", session_->xAuthority()},
                               {"XDG_SESSION_TYPE", QStringLiteral("wayland")},
                               {"XDG_CURRENT_DESKTOP", QStringLiteral("GNOME")},
                               {"DBUS_SESSION_BUS_ADDRESS", session_->bus().address()},
                               {"QT_LOGGING_RULES", QStringLiteral("tessavo.*.debug=true")}}});
        ASSERT_TRUE(session_->answerPortal(allow)) << keeper_->output().toStdString();
    }

    // Logs in on the keeper's window and chooses the record, with the session's pointer and keys.
    void logInAndChooseRecord() {
        const std::optional<XWindowId> login = session_->x11().waitForFramedWindow(loginTitle());
        ASSERT_TRUE(login) << keeper_->output().toStdString();
        session_->click(session_->x11().geometry(*login).topLeft() + place::kPasswordEntry);
        session_->type(QStringLiteral("vorel"));
        session_->keys({QStringLiteral("Return")});
        const std::optional<XWindowId> main = session_->x11().waitForFramedWindow(mainCaption());
        ASSERT_TRUE(main) << keeper_->output().toStdString();
        session_->click(session_->x11().geometry(*main).topLeft() + fillPlace::kGridRows);
        ASSERT_TRUE(waitUntil([this] { return recordChosen(); })) << "the click on the grid chose no record";
    }

    // A native Wayland GTK entry with the keyboard focus; what it takes is written to the file
    // returned, once Enter ends it.
    QString startTarget() {
        const QString output = session_->sharedDir() + QStringLiteral("/%1.txt").arg(++targets_);
        QProcessEnvironment gtk = session_->clientEnvironment();
        gtk.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("wayland"));
        targetPid_ =
            session_
                ->startClient({QStringLiteral("sh"), QStringLiteral("-c"),
                               QStringLiteral("exec zenity --entry --title=gtk-target --text=target > ") + output},
                              gtk, QStringLiteral("zenity-%1").arg(targets_))
                .processId();
        if (!session_->focusEntry(kTarget)) ADD_FAILURE() << "the GTK entry has no focus";
        return output;
    }

    // `tessavo --fill <field>` as the user's shortcut of the desktop runs it.
    void fill(const char* field) {
        const QProcessEnvironment keeper = home().environment("");
        const ProgramRun run = session_->bus().run(
            {QStringLiteral("env"), "XDG_RUNTIME_DIR=" + keeper.value("XDG_RUNTIME_DIR"),
             "HOME=" + keeper.value("HOME"), "TESSAVO_DIALOG_LOG=" + keeper.value("TESSAVO_DIALOG_LOG"),
             home().executable(), QStringLiteral("--fill"), QString::fromLatin1(field)});
        ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    }

    // What the entry printed when Enter ended it, without the line's end.
    static QString entered(const QString& path) {
        QString text = readText(path);
        if (text.endsWith(u'\n')) text.chop(1);
        return text;
    }

    QString waitForText(const QString& path, const QString& expected) {
        waitUntil([&] { return entered(path) == expected; });
        return entered(path);
    }

    QString waitForBox() {
        waitUntil([&] { return !home().shownBoxes().isEmpty(); });
        return home().shownBoxes().join(u'|');
    }

    // Whether another process of the session's user can read the process's /proc entries.
    bool readableToItsUser(qint64 pid) {
        const ProgramRun read =
            session_->bus().run({QStringLiteral("cat"), QStringLiteral("/proc/%1/environ").arg(pid)});
        return read.exitCode == 0;
    }

    std::unique_ptr<GnomeSession> session_;
    ProgramProcess* keeper_ = nullptr;
    qint64 targetPid_ = 0;
    int targets_ = 0;
};

TEST_F(GnomeFill, TheHardenedKeeperTypesEveryPrintableCharacterExactlyThroughThePortal) {
    QString password;
    for (char16_t ch = 0x20; ch < 0x7F; ++ch) password += QChar(ch);
    // Enter at the end ends the entry; the account, in lower case, shows no Shift is still held.
    storeRecord(QStringLiteral("alice~"), spelledInKeyLanguage(password) + QStringLiteral("~"));
    ASSERT_NO_FATAL_FAILURE(startKeeper(true));
    ASSERT_NO_FATAL_FAILURE(logInAndChooseRecord());

    const QString typed = startTarget();
    // What the hardening keeps where the portal is used: no core files, and once the portal
    // knows the keeper, no reads of its memory or environment by the user's other processes
    // (the entry's program is one, and can be read).
    ASSERT_TRUE(readableToItsUser(targetPid_)) << "cannot tell: a dumpable process of the user is unreadable too";
    EXPECT_FALSE(readableToItsUser(keeper_->pid()));
    EXPECT_TRUE(readText(QStringLiteral("/proc/%1/limits").arg(keeper_->pid()))
                    .contains(QRegularExpression(QStringLiteral("Max core file size +0 +0 "))));

    ASSERT_NO_FATAL_FAILURE(fill("password"));
    EXPECT_EQ(waitForText(typed, password), password);
    const QString account = startTarget();
    ASSERT_NO_FATAL_FAILURE(fill("account"));
    EXPECT_EQ(waitForText(account, QStringLiteral("alice")), QStringLiteral("alice"));
    EXPECT_TRUE(home().shownBoxes().isEmpty()) << home().shownBoxes().join(u'|').toStdString();
}

// The layout (mutter's US one) lacks é and 中: the desktop would drop them without a word. The
// password reads as written and goes through the clipboard instead, the account holds keys of the
// key language and is refused; neither is ever typed in part.
TEST_F(GnomeFill, ATextWithCharactersTheLayoutLacksIsNeverTypedInPart) {
    const QString password = QStringLiteral("Pé中x");
    storeRecord(QStringLiteral("+bé{TAB}中"), password);
    ASSERT_NO_FATAL_FAILURE(startKeeper(true));
    ASSERT_NO_FATAL_FAILURE(logInAndChooseRecord());

    startTarget();
    ASSERT_NO_FATAL_FAILURE(fill("password"));
    ASSERT_NO_FATAL_FAILURE(fill("account"));
    // The keeper takes the commands in order: once the account's refusal shows, the password's
    // fill is over.
    EXPECT_TRUE(waitForBox().contains(QStringLiteral("桌面的键盘布局中没有字符“é中”")))
        << home().shownBoxes().join(u'|').toStdString();
    const std::optional<QString> arrived = session_->entryText(kTarget);
    EXPECT_TRUE(arrived == password || arrived == QString())
        << "typed in part: " << arrived.value_or("(no entry)").toStdString();
}

TEST_F(GnomeFill, ARefusalInGnomesQuestionIsToldAsARefusal) {
    storeRecord(QStringLiteral("alice"), QStringLiteral("secret"));
    ASSERT_NO_FATAL_FAILURE(startKeeper(false));
    ASSERT_NO_FATAL_FAILURE(logInAndChooseRecord());
    startTarget();
    ASSERT_NO_FATAL_FAILURE(fill("password"));
    EXPECT_TRUE(waitForBox().contains(QStringLiteral("桌面没有允许本程序控制键盘（远程桌面门户的请求被拒绝）")))
        << home().shownBoxes().join(u'|').toStdString();
    EXPECT_EQ(session_->entryText(kTarget), QString());
}

}  // namespace
}  // namespace tessavo::test
