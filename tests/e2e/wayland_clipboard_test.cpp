// The keeper's clipboard in a Wayland session of a wlroots compositor (a private, headless sway):
// the copy is set and emptied through data control, without the keyboard focus, and read back
// by wl-clipboard, a program of the session like any other.
#include <gtest/gtest.h>

#include <memory>

#include "platform/wayland/WaylandClipboard.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/SwaySession.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

class WaylandClipboardTest : public testing::Test {
protected:
    void SetUp() override {
        if (!SwaySession::available()) GTEST_SKIP() << "sway is not installed";
        session_ = std::make_unique<SwaySession>(SwaySession::Options{});
    }

    std::unique_ptr<platform::WaylandClipboard> connect() {
        return std::make_unique<platform::WaylandClipboard>(session_->waylandSocket().toUtf8().constData());
    }

    // What a paste of the selection gives; none when the selection is empty.
    std::optional<QString> paste(const QStringList& options = {}) const {
        const ProgramRun run = session_->run(QStringList{"wl-paste", "--no-newline"} + options);
        if (!run.finished || run.exitCode != 0) return std::nullopt;
        return QString::fromUtf8(run.standardOutput);
    }

    QStringList types() const {
        const ProgramRun run = session_->run({"wl-paste", "--list-types"});
        return QString::fromUtf8(run.standardOutput).split(u'\n', Qt::SkipEmptyParts);
    }

    bool copyFromOutside(const QString& text, bool primary) const {
        QStringList command{"wl-copy"};
        if (primary) command << "--primary";
        return session_->run(command << text).exitCode == 0;
    }

    std::unique_ptr<SwaySession> session_;
};

TEST_F(WaylandClipboardTest, ASecretIsPastedExactlyAndCarriesTheHintForClipboardManagers) {
    ASSERT_TRUE(platform::WaylandClipboard::offeredBy(session_->waylandSocket().toUtf8().constData()));
    const auto clipboard = connect();
    const QString secret = QStringLiteral("pässwörd 中文 € ~\\\"'");

    // The paste runs while this thread waits for it: the clipboard's own thread answers.
    clipboard->setText(secret, true);
    EXPECT_EQ(paste(), secret);
    EXPECT_TRUE(types().contains("x-kde-passwordManagerHint")) << types().join(' ').toStdString();
    EXPECT_TRUE(types().contains("text/plain;charset=utf-8"));
    EXPECT_EQ(paste({"--type", "x-kde-passwordManagerHint"}), QStringLiteral("secret"));
    EXPECT_EQ(paste({"--type", "UTF8_STRING"}), secret);

    clipboard->setText(QStringLiteral("https://example.com/"), false);
    EXPECT_EQ(paste(), QStringLiteral("https://example.com/"));
    EXPECT_FALSE(types().contains("x-kde-passwordManagerHint")) << "an address is no secret";
}

TEST_F(WaylandClipboardTest, EmptyingClearsBothSelectionsWhoeverSetThem) {
    const auto clipboard = connect();
    ASSERT_TRUE(copyFromOutside(QStringLiteral("copied elsewhere"), false));
    ASSERT_TRUE(copyFromOutside(QStringLiteral("selected elsewhere"), true));
    ASSERT_TRUE(waitUntil([&] { return paste({"--primary"}) == QStringLiteral("selected elsewhere"); }));
    ASSERT_EQ(paste(), QStringLiteral("copied elsewhere"));

    clipboard->empty();
    EXPECT_EQ(paste(), std::nullopt);
    EXPECT_EQ(paste({"--primary"}), std::nullopt);

    clipboard->setText(QStringLiteral("secret"), true);
    clipboard->empty();
    EXPECT_EQ(paste(), std::nullopt) << "our own copy goes too";
}

TEST_F(WaylandClipboardTest, TheCopyGoesWithTheProgramAndAnotherCopyReplacesIt) {
    auto clipboard = connect();
    clipboard->setText(QStringLiteral("first"), true);
    ASSERT_TRUE(copyFromOutside(QStringLiteral("another program's"), false));
    EXPECT_TRUE(waitUntil([&] { return paste() == QStringLiteral("another program's"); }));

    clipboard->setText(QStringLiteral("second"), true);
    ASSERT_EQ(paste(), QStringLiteral("second"));
    clipboard.reset();  // the program ends
    EXPECT_TRUE(waitUntil([&] { return !paste().has_value(); })) << "the copy outlived the program";
}

}  // namespace
}  // namespace tessavo::test
