#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <optional>

#include "autofill/TypingMode.h"
#include "platform/base/AnsiCodePage.h"
#include "platform/base/Error.h"
#include "tests/support/FileBytes.h"

using tessavo::autofill::readTypingModeKeys;
using tessavo::autofill::TypingMode;
using tessavo::autofill::typingModeAtStart;
using tessavo::autofill::TypingModeKeys;
using tessavo::autofill::writeTypingMode;
using tessavo::test::readBytes;
using tessavo::test::writeBytes;

namespace {

// "[软件配置]\r\n粘贴式=1\r\n非粘贴式=0\r\n" in the ANSI code page.
constexpr std::string_view kSavedPasteMode =
    "[\xC8\xED\xBC\xFE\xC5\xE4\xD6\xC3]\r\n\xD5\xB3\xCC\xF9\xCA\xBD=1\r\n\xB7\xC7\xD5\xB3\xCC\xF9\xCA\xBD=0\r\n";

class TypingModeFile : public ::testing::Test {
protected:
    // The application directory, with its trailing separator.
    QString appDir() const { return dir_.path() + u'/'; }
    QString configFile() const { return appDir() + QStringLiteral("Config.ini"); }
    void putConfig(const char* utf8Text) {
        ASSERT_TRUE(writeBytes(configFile(), tessavo::platform::toAnsi(QString::fromUtf8(utf8Text))));
    }

    QTemporaryDir dir_;
};

struct StartCase {
    const char* name;
    std::optional<const char*> config;  // nothing: no Config.ini
    TypingModeKeys keys;
    TypingMode mode;
};

class TypingModeAtStart : public TypingModeFile, public ::testing::WithParamInterface<StartCase> {};

TEST_P(TypingModeAtStart, FollowsTheSavedKeys) {
    const StartCase& c = GetParam();
    if (c.config) putConfig(*c.config);
    const TypingModeKeys keys = readTypingModeKeys(appDir());
    EXPECT_EQ(keys.paste, c.keys.paste);
    EXPECT_EQ(keys.keystroke, c.keys.keystroke);
    EXPECT_EQ(typingModeAtStart(keys), c.mode);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TypingModeAtStart,
    ::testing::Values(
        StartCase{"noFile", std::nullopt, {true, true}, TypingMode::Keystroke},
        StartCase{"bothZero", "[软件配置]\r\n粘贴式=0\r\n非粘贴式=0\r\n", {false, false}, TypingMode::Paste},
        StartCase{"bothOne", "[软件配置]\r\n粘贴式=1\r\n非粘贴式=1\r\n", {true, true}, TypingMode::Keystroke},
        StartCase{"pasteSaved", "[软件配置]\r\n粘贴式=1\r\n非粘贴式=0\r\n", {true, false}, TypingMode::Paste},
        StartCase{"keystrokeSaved", "[软件配置]\r\n粘贴式=0\r\n非粘贴式=1\r\n", {false, true}, TypingMode::Keystroke},
        StartCase{"notIntegers", "[软件配置]\r\n粘贴式=否\r\n非粘贴式=no\r\n", {true, true}, TypingMode::Keystroke},
        StartCase{"otherSection", "[设置]\r\n粘贴式=0\r\n非粘贴式=0\r\n", {true, true}, TypingMode::Keystroke},
        StartCase{"onlyPasteKey", "[软件配置]\r\n粘贴式=0\r\n", {false, true}, TypingMode::Keystroke},
        StartCase{"hexAndBlanks", "[软件配置]\n 粘贴式 = $0 \n非粘贴式=0x0\n", {false, false}, TypingMode::Paste}),
    [](const auto& info) { return std::string(info.param.name); });

struct TableCase {
    TypingModeKeys keys;
    TypingMode before;
    TypingMode after;
};

class TypingModeTable : public ::testing::TestWithParam<TableCase> {};

TEST_P(TypingModeTable, FalseValuesLeaveTheCheckedButton) {
    const TableCase& c = GetParam();
    EXPECT_EQ(typingModeAtStart(c.keys, c.before), c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, TypingModeTable,
                         ::testing::Values(TableCase{{true, false}, TypingMode::Keystroke, TypingMode::Paste},
                                           TableCase{{false, true}, TypingMode::Paste, TypingMode::Keystroke},
                                           TableCase{{true, true}, TypingMode::Paste, TypingMode::Keystroke},
                                           TableCase{{false, false}, TypingMode::Paste, TypingMode::Paste},
                                           TableCase{{false, false}, TypingMode::Keystroke, TypingMode::Keystroke}));

TEST_F(TypingModeFile, SavingPasteModeWritesBothKeysInOrder) {
    writeTypingMode(appDir(), true, false);
    EXPECT_EQ(readBytes(configFile()), kSavedPasteMode);
    EXPECT_EQ(typingModeAtStart(readTypingModeKeys(appDir())), TypingMode::Paste);
}

TEST_F(TypingModeFile, SavingReplacesTheEarlierMode) {
    writeTypingMode(appDir(), false, true);
    EXPECT_EQ(typingModeAtStart(readTypingModeKeys(appDir())), TypingMode::Keystroke);
    writeTypingMode(appDir(), true, false);
    EXPECT_EQ(readBytes(configFile()), kSavedPasteMode);
}

TEST_F(TypingModeFile, Utf16FileStaysUtf16) {
    const QString text = QStringLiteral("[软件配置]\r\n粘贴式=0\r\n非粘贴式=1\r\n");
    std::string utf16 = "\xFF\xFE";
    for (const QChar c : text) {
        utf16.push_back(static_cast<char>(c.unicode() & 0xFF));
        utf16.push_back(static_cast<char>(c.unicode() >> 8));
    }
    ASSERT_TRUE(writeBytes(configFile(), utf16));
    EXPECT_EQ(typingModeAtStart(readTypingModeKeys(appDir())), TypingMode::Keystroke);

    writeTypingMode(appDir(), true, false);
    const std::string saved = readBytes(configFile());
    EXPECT_EQ(saved.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(saved.size(), utf16.size()) << "two one-character values replaced in place";
    EXPECT_EQ(typingModeAtStart(readTypingModeKeys(appDir())), TypingMode::Paste);
}

TEST_F(TypingModeFile, UnwritableDirectoryRaisesTheErrorWithTheFilesPath) {
    const QString missing = appDir() + QStringLiteral("missing/");
    try {
        writeTypingMode(missing, true, false);
        ADD_FAILURE() << "the save did not fail";
    } catch (const tessavo::Error& error) {
        EXPECT_EQ(QString::fromStdString(error.what()), "Unable to write to " + missing + "Config.ini");
    }
}

}  // namespace
