#include <gtest/gtest.h>

#include <QString>
#include <string>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "platform/base/AnsiCodePage.h"

namespace {

using tessavo::platform::fromAnsi;
using tessavo::platform::toAnsi;

struct CodePageCase {
    const char* name;
    QString text;
    std::string bytes;
};

class AnsiCodePageTest : public ::testing::TestWithParam<CodePageCase> {};

// Texts with known code page 936 bytes convert to exactly those bytes and back.
TEST_P(AnsiCodePageTest, MatchesCodePage936) {
    EXPECT_EQ(toAnsi(GetParam().text), GetParam().bytes);
    EXPECT_EQ(fromAnsi(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnsiCodePageTest,
    ::testing::Values(CodePageCase{"Empty", "", ""}, CodePageCase{"Ascii", "Abc 123 ~!", "Abc 123 ~!"},
                      // The category placeholder's password.
                      CodePageCase{"PlaceholderPassword", QString::fromUtf8("密码"), "\xC3\xDC\xC2\xEB"},
                      CodePageCase{"AccountWord", QString::fromUtf8("账号"), "\xD5\xCB\xBA\xC5"},
                      CodePageCase{"FullWidthComma", QString::fromUtf8("，"), "\xA3\xAC"},
                      // Code page 936 writes the euro sign as one byte.
                      CodePageCase{"Euro", QString::fromUtf8("1€2"),
                                   "1\x80"
                                   "2"},
                      CodePageCase{"EuroTwice", QString::fromUtf8("€€"), "\x80\x80"}),
    [](const auto& info) { return info.param.name; });

// Texts beyond code page 936 survive too, and the cipher, which cuts at the first zero byte,
// gives them back unchanged.
class AnsiCodePageRoundTripTest : public ::testing::TestWithParam<const char*> {};

TEST_P(AnsiCodePageRoundTripTest, SurvivesEncryptionAndDecryption) {
    const QString text = QString::fromUtf8(GetParam());
    const std::string bytes = toAnsi(text);
    EXPECT_EQ(bytes.find('\0'), std::string::npos);
    EXPECT_EQ(fromAnsi(bytes), text);
    const std::string key = toAnsi(QString::fromUtf8("40618253"));
    const std::string cipher = tessavo::cipher::DesEncryptToHex(bytes, key);
    EXPECT_EQ(fromAnsi(tessavo::cipher::DesDecryptFromHex(cipher, key)), text);
}

INSTANTIATE_TEST_SUITE_P(Texts, AnsiCodePageRoundTripTest,
                         ::testing::Values("账号密码管理", "Пароль и ключ", "κωδικός", "كلمة السر", "パスワード",
                                           "비밀번호", "🔑🙂 emoji", "mixed 中文 Ελληνικά 😀 €5",
                                           "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9"));

TEST(AnsiCodePage, EmojiTakesFourBytes) { EXPECT_EQ(toAnsi(QString::fromUtf8("😀")).size(), 4u); }

TEST(AnsiCodePage, LongTextsConvertWhole) {
    // Longer than the converter's scratch buffer in both directions.
    QString text;
    for (int i = 0; i < 3000; ++i) text += QString::fromUtf8(i % 3 == 0 ? "密" : i % 3 == 1 ? "a" : "😀");
    const std::string bytes = toAnsi(text);
    EXPECT_EQ(bytes.size(), 1000u * (2 + 1 + 4));
    EXPECT_EQ(fromAnsi(bytes), text);
}

TEST(AnsiCodePage, UnreadableBytesBecomeReplacementCharacters) {
    const QString replacement(QChar(0xFFFD));
    EXPECT_EQ(fromAnsi("a\xFF"
                       "b"),
              "a" + replacement + "b");
    // A lead byte cut off at the end.
    EXPECT_EQ(fromAnsi("ab\x81"), "ab" + replacement);
    // 0x80 after a lead byte is the second byte of a character, not a euro sign.
    EXPECT_EQ(fromAnsi("\x81\x80"), QString::fromUtf8("亐"));
}

TEST(AnsiCodePage, LoneSurrogateBecomesQuestionMark) {
    const QString text = QString("a") + QChar(0xD800) + QString("b");
    EXPECT_EQ(toAnsi(text), "a?b");
}

}  // namespace
