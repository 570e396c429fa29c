// The typing mode on the settings page: read from Config.ini when the main window is made,
// saved by "保存配置", and the error box when the file cannot be written.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/Program.h"
#include "app/Unit1.h"
#include "platform/base/AnsiCodePage.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScopedPermissionChecks.h"

using namespace tessavo;

namespace {

enum class Mode { Paste, Keystroke };

Mode modeOf(const app::TForm1& window) {
    EXPECT_NE(window.RadioButton_IntoPass1->isChecked(), window.RadioButton_IntoPass2->isChecked());
    return window.RadioButton_IntoPass1->isChecked() ? Mode::Paste : Mode::Keystroke;
}

class TypingModeTest : public test::ProgramFixture {
protected:
    QString configPath() const { return appDir() + QStringLiteral("Config.ini"); }
    void writeConfig(const QString& text) const { ASSERT_TRUE(test::writeBytes(configPath(), platform::toAnsi(text))); }
    // The mode a new start over the same directory comes up in.
    Mode modeAtNextStart() {
        app::Program next(appDir());
        return modeOf(next.main());
    }
};

TEST_F(TypingModeTest, WithoutConfigIniTheProgramStartsInKeystrokeMode) {
    ASSERT_FALSE(QFile::exists(configPath()));
    EXPECT_EQ(modeOf(main()), Mode::Keystroke);
}

struct KeysCase {
    const char* name;
    const char* config;
    Mode expected;
};

class TypingModeKeys : public TypingModeTest, public testing::WithParamInterface<KeysCase> {};

TEST_P(TypingModeKeys, DecideTheModeAtStart) {
    writeConfig(QString::fromUtf8(GetParam().config));
    EXPECT_EQ(modeAtNextStart(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TypingModeKeys,
    testing::Values(KeysCase{"pasteOnly", "[软件配置]\r\n粘贴式=1\r\n非粘贴式=0\r\n", Mode::Paste},
                    KeysCase{"keystrokeOnly", "[软件配置]\r\n粘贴式=0\r\n非粘贴式=1\r\n", Mode::Keystroke},
                    KeysCase{"both", "[软件配置]\r\n粘贴式=1\r\n非粘贴式=1\r\n", Mode::Keystroke},
                    KeysCase{"neither", "[软件配置]\r\n粘贴式=0\r\n非粘贴式=0\r\n", Mode::Paste},
                    KeysCase{"notAnInteger", "[软件配置]\r\n粘贴式=0\r\n非粘贴式=yes\r\n", Mode::Keystroke},
                    KeysCase{"otherSection", "[其他]\r\n粘贴式=1\r\n非粘贴式=0\r\n", Mode::Keystroke}),
    [](const testing::TestParamInfo<KeysCase>& info) { return std::string(info.param.name); });

TEST_F(TypingModeTest, SavedPasteModeIsTheModeOfTheNextStart) {
    QTest::mouseClick(main().RadioButton_IntoPass1, Qt::LeftButton);
    QTest::mouseClick(main().Button6, Qt::LeftButton);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("配置保存成功！")});
    const QStringList lines = platform::fromAnsi(test::readBytes(configPath())).split(QStringLiteral("\r\n"));
    EXPECT_TRUE(lines.contains(QStringLiteral("粘贴式=1"))) << lines.join(u'|').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("非粘贴式=0"))) << lines.join(u'|').toStdString();
    EXPECT_EQ(modeAtNextStart(), Mode::Paste);
}

TEST_F(TypingModeTest, AChangeWithoutSavingLastsOnlyUntilTheNextStart) {
    QTest::mouseClick(main().RadioButton_IntoPass1, Qt::LeftButton);
    EXPECT_EQ(modeOf(main()), Mode::Paste);
    EXPECT_EQ(modeAtNextStart(), Mode::Keystroke);
}

TEST_F(TypingModeTest, AnUnwritableDirectoryShowsTheErrorWithThePath) {
    {
        const test::ScopedReadOnlyDirectory readOnly(appDir());
        QTest::mouseClick(main().Button6, Qt::LeftButton);
    }
    const std::vector<platform::Dialogs::Box> boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, platform::Dialogs::Icon::Error);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Unable to write to ") + configPath());
    EXPECT_FALSE(QFile::exists(configPath()));
}

// The hint under the typing modes names the way to fill of the session the program runs in: in a
// Wayland session the desktop's shortcut for the fill command, once, on this page.
struct SessionHintCase {
    const char* name;
    std::optional<QByteArray> sessionType;
    std::optional<QByteArray> waylandDisplay;
    bool wayland;
};

class TypingModeHint : public TypingModeTest, public testing::WithParamInterface<SessionHintCase> {};

TEST_P(TypingModeHint, NamesTheFillCommandInAWaylandSessionAndTheHotkeysElsewhere) {
    const test::ScopedEnvironment type{"XDG_SESSION_TYPE", GetParam().sessionType};
    const test::ScopedEnvironment display{"WAYLAND_DISPLAY", GetParam().waylandDisplay};
    app::Program started(appDir());
    const QLabel* hint = started.main().Label16;

    const QString text = hint->text();
    EXPECT_EQ(text.contains(QStringLiteral("tessavo --fill account")), GetParam().wayland) << text.toStdString();
    EXPECT_EQ(text.contains(QStringLiteral("tessavo --fill password")), GetParam().wayland) << text.toStdString();
    EXPECT_EQ(text.contains(QStringLiteral("ctrl + ← 自动输入帐号")), !GetParam().wayland) << text.toStdString();
    EXPECT_TRUE(started.main().GroupBox1->rect().contains(hint->geometry()))
        << "the hint fits in its group: " << hint->geometry().width() << "x" << hint->geometry().height();
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, TypingModeHint,
    testing::Values(SessionHintCase{"wayland", QByteArray("wayland"), std::nullopt, true},
                    SessionHintCase{"waylandDisplayOnly", std::nullopt, QByteArray("wayland-1"), true},
                    SessionHintCase{"x11", QByteArray("x11"), std::nullopt, false},
                    SessionHintCase{"x11WithANestedWaylandDisplay", QByteArray("x11"), QByteArray("wayland-1"), false},
                    SessionHintCase{"unnamed", std::nullopt, std::nullopt, false}),
    [](const testing::TestParamInfo<SessionHintCase>& info) { return std::string(info.param.name); });

}  // namespace
