// Filling on a real KDE desktop (KWin with Xwayland, xdg-desktop-portal with KDE's backend): the
// keeper runs through Xwayland, asks the portal for the keyboard and for its two shortcuts at
// start, and Ctrl+← and Ctrl+→ pressed in KWin type the account and the password into a native
// Wayland program (a GTK entry) exactly as stored, on a US and a German layout, the very first
// fill included, with no key left held.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <memory>
#include <optional>

#include "tests/e2e/AutoFillDesktop.h"
#include "tests/support/KdeSession.h"
#include "tests/support/KeyLanguageText.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

// A layout and every printable ASCII character it has a key for: the German one has ^ and `
// only as dead keys, which the portal cannot press (the check of a text against the layout is
// the portal keyboard's own, tested against the fake portal).
struct LayoutCase {
    const char* layout;
    const char* lacks;
};

QString printableAsciiOf(const LayoutCase& layout) {
    QString text;
    for (char16_t ch = 0x20; ch < 0x7F; ++ch) {
        if (!QString::fromLatin1(layout.lacks).contains(QChar(ch))) text += QChar(ch);
    }
    return text;
}

class KdeFill : public AutoFillDesktop, public testing::WithParamInterface<LayoutCase> {
protected:
    void SetUp() override {
        if (!KdeSession::available()) GTEST_SKIP() << "KWin or KDE's desktop portal is not installed";
        AutoFillDesktop::SetUp();
    }

    void TearDown() override {
        session_.reset();
        AutoFillDesktop::TearDown();
    }

    void startSession(const char* layout) {
        session_ = std::make_unique<KdeSession>(KdeSession::Options{QString::fromLatin1(layout)});
    }

    // The keeper, started by the session's user in the session, logged in, a record chosen.
    void startKeeperAndChooseRecord() {
        // The application folder and the home lie side by side in one folder.
        session_->handOver(QFileInfo(QDir(home().appDir()).absolutePath()).absolutePath());
        const QStringList command = session_->asSessionUser({home().executable()});
        const QProcessEnvironment desktop = session_->clientEnvironment();
        StartOptions options{command.mid(1), {}};
        for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY", "XAUTHORITY", "XDG_SESSION_TYPE",
                                 "DBUS_SESSION_BUS_ADDRESS", "XDG_CURRENT_DESKTOP"}) {
            options.environment.emplace_back(QString::fromLatin1(name), desktop.value(QString::fromLatin1(name)));
        }
        options.environment.emplace_back(QStringLiteral("WAYLAND_DISPLAY"), session_->waylandSocket());
        ProgramProcess& keeper = startFrom(QStandardPaths::findExecutable(command.front()), home().appDir(), options);
        ASSERT_TRUE(session_->waitForActive(loginTitle()))
            << keeper.output().toStdString() << session_->log(QStringLiteral("kwin.log")).toStdString();
        session_->type(QStringLiteral("vorel~"));
        ASSERT_TRUE(session_->waitForActive(mainCaption())) << keeper.output().toStdString();
        const std::optional<QRect> main = session_->activeContentRect(mainCaption());
        ASSERT_TRUE(main);
        // A click that comes while Xwayland is still giving the new window the pointer is lost:
        // the click is repeated until the record is chosen.
        bool chosen = false;
        for (int click = 0; click < 6 && !chosen; ++click) {
            session_->click(main->topLeft() + fillPlace::kGridRows);
            chosen = waitUntil([this] { return recordChosen(); }, std::chrono::seconds(10));
        }
        ASSERT_TRUE(chosen) << "clicks on the grid at " << main->x() << "," << main->y() << " chose no record";
        EXPECT_TRUE(home().shownBoxes().isEmpty()) << home().shownBoxes().join(u'|').toStdString();
    }

    // A GTK entry of the session with the focus; it prints its text when Enter reaches it.
    QProcess& startEntry(const QString& title) {
        QProcessEnvironment gtk = session_->clientEnvironment();
        gtk.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("wayland"));
        QProcess& entry = session_->startClient({"zenity", "--entry", "--title=" + title, "--text=target"}, gtk,
                                                title + QStringLiteral(".log"));
        if (!session_->waitForActive(title)) ADD_FAILURE() << "the entry " << title.toStdString() << " has no focus";
        return entry;
    }

    // The test's target program, native on Wayland, with the focus; the file that holds its text.
    QString startTarget() {
        const QString output = QDir(home().homeDir()).filePath(QStringLiteral("target.txt"));
        QProcessEnvironment wayland = session_->clientEnvironment();
        wayland.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        session_->startClient({QString::fromUtf8(TESSAVO_AUTOFILL_TARGET), output}, wayland,
                              QStringLiteral("target.log"));
        if (!session_->waitForActive(QStringLiteral("autofill-target")))
            ADD_FAILURE() << "the target program has no focus";
        return output;
    }

    QString waitForText(const QString& path, const QString& expected) {
        const auto text = [&] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        };
        waitUntil([&] { return text() == expected; });
        return text();
    }

    // What the entry of this title held when Enter reached it; empty when Enter never came.
    QString enteredText(QProcess& entry, const QString& title) {
        if (!entry.waitForFinished(static_cast<int>(kPatience.count()))) return {};
        QString text = session_->log(title + QStringLiteral(".log"));
        // zenity ends its answer with a newline; its warnings go before it.
        text.chop(1);
        return text.section(u'\n', -1);
    }

    std::unique_ptr<KdeSession> session_;
};

TEST_P(KdeFill, TheShortcutsAreRegisteredAndTypeEveryCharacterExactlyFromTheFirstFillOn) {
    const QString password = printableAsciiOf(GetParam());
    // The key language's "~" is Enter: it makes the entry tell what it got.
    storeRecord(QStringLiteral("alice"), spelledInKeyLanguage(password) + QStringLiteral("~"));
    startSession(GetParam().layout);
    ASSERT_NO_FATAL_FAILURE(startKeeperAndChooseRecord());
    const QStringList registered{QStringLiteral("fill-account Ctrl+Left"), QStringLiteral("fill-password Ctrl+Right")};
    const auto held = [this] {
        QStringList shortcuts = session_->globalShortcuts(QStringLiteral("tessavo"));
        shortcuts.sort();
        return shortcuts;
    };
    ASSERT_TRUE(waitUntil([&] { return held() == registered; }))
        << session_->globalShortcuts(QStringLiteral("tessavo")).join(u'|').toStdString() << "\n"
        << session_->log(QStringLiteral("portal-kde.log")).toStdString();

    QProcess& passwordEntry = startEntry(QStringLiteral("password-target"));
    session_->type(QStringLiteral("^{RIGHT}"));
    EXPECT_EQ(enteredText(passwordEntry, QStringLiteral("password-target")), password);

    // Then the account into a Qt field on Wayland that shows what it holds at every change; a
    // key of the user's after it comes in lower case and adds itself: a Shift, AltGr or Ctrl of
    // the fills still held would show.
    const QString account = startTarget();
    session_->type(QStringLiteral("^{LEFT}"));
    EXPECT_EQ(waitForText(account, QStringLiteral("alice")), QStringLiteral("alice"));
    session_->type(QStringLiteral("a"));
    EXPECT_EQ(waitForText(account, QStringLiteral("alicea")), QStringLiteral("alicea"));
    EXPECT_TRUE(home().shownBoxes().isEmpty()) << home().shownBoxes().join(u'|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Kde, KdeFill, testing::Values(LayoutCase{"us", ""}, LayoutCase{"de", "^`"}),
                         [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.layout); });

}  // namespace
}  // namespace tessavo::test
