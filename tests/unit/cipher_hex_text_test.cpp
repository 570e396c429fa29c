#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>

#include "cipher/DesBlockCipher.h"
#include "cipher/Unit_Orvel_DESCrypt.h"

namespace {

namespace cipher = tessavo::cipher;

using cipher::DesDecryptFromHex;
using cipher::DesEncryptToHex;

const std::string kKey = "40618253";
const std::string kOtherKey = "kfz";

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// ---------------------------------------------------------------------------------------------
// Encryption: block count and alphabet.

struct LengthCase {
    std::size_t plainBytes;
    std::size_t digits;
};

class HexCipherLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(HexCipherLengthTest, WritesSixteenUpperCaseDigitsPerStartedBlock) {
    const std::string plain(GetParam().plainBytes, 'p');
    const std::string cipher = cipher::DesEncryptToHex(plain, kKey);
    EXPECT_EQ(cipher.size(), GetParam().digits);
    EXPECT_TRUE(std::all_of(cipher.begin(), cipher.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
    })) << cipher;
    EXPECT_EQ(cipher::DesDecryptFromHex(cipher, kKey), plain);
}

INSTANTIATE_TEST_SUITE_P(Cases, HexCipherLengthTest,
                         ::testing::Values(LengthCase{0, 16}, LengthCase{1, 16}, LengthCase{7, 16}, LengthCase{8, 16},
                                           LengthCase{9, 32}, LengthCase{16, 32}, LengthCase{17, 48},
                                           LengthCase{24, 48}, LengthCase{25, 64}, LengthCase{1000, 2000}));

TEST(HexCipher, EmptyTextIsOneBlockOfZeros) {
    const std::string cipher = cipher::DesEncryptToHex("", kKey);
    EXPECT_EQ(cipher, cipher::DesEncryptToHex(std::string(8, '\0'), kKey));
    EXPECT_EQ(cipher::DesDecryptFromHex(cipher, kKey), "");
}

TEST(HexCipher, SameTextAndKeyGiveTheSameCipherText) {
    EXPECT_EQ(cipher::DesEncryptToHex("secret", kKey), cipher::DesEncryptToHex("secret", kKey));
    EXPECT_NE(cipher::DesEncryptToHex("secret", kKey), cipher::DesEncryptToHex("secret", kOtherKey));
    EXPECT_NE(cipher::DesEncryptToHex("secret", kKey), cipher::DesEncryptToHex("secreT", kKey));
    // Trailing zero bytes within the last block are the same as the zero fill.
    EXPECT_EQ(cipher::DesEncryptToHex(std::string("ab\0\0", 4), kKey), cipher::DesEncryptToHex("ab", kKey));
    EXPECT_NE(cipher::DesEncryptToHex(std::string("abcdefgh\0", 9), kKey), cipher::DesEncryptToHex("abcdefgh", kKey));
}

// Electronic codebook: each block is encrypted on its own, the last one zero-filled.
TEST(HexCipher, BlocksAreEncryptedIndependently) {
    const std::string first = "ABCDEFGH";
    const std::string second = "IJ";
    const std::string cipher = cipher::DesEncryptToHex(first + second, kKey);
    EXPECT_EQ(cipher.substr(0, 16), cipher::DesEncryptToHex(first, kKey));
    EXPECT_EQ(cipher.substr(16), cipher::DesEncryptToHex(second, kKey));
}

// ---------------------------------------------------------------------------------------------
// Round trips.

class HexCipherRoundTripTest : public ::testing::TestWithParam<std::string> {};

TEST_P(HexCipherRoundTripTest, GivesBackTheTextUpToItsFirstZeroByte) {
    const std::string& plain = GetParam();
    for (const std::string& key : {kKey, kOtherKey, std::string(), std::string("\xFF\0\x80", 3)}) {
        const std::string cipher = cipher::DesEncryptToHex(plain, key);
        EXPECT_EQ(cipher::DesDecryptFromHex(cipher, key), plain.substr(0, plain.find('\0')));
        EXPECT_EQ(cipher::DesDecryptFromHex(lowerCase(cipher), key), plain.substr(0, plain.find('\0')));
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, HexCipherRoundTripTest,
                         ::testing::Values("a", "12345678", "exactly sixteen!", "\xC3\xDC\xC2\xEB",
                                           "\x80\x81\xFE\xFF\x01\x7F", std::string("ab\0cd", 5),
                                           std::string("\0abc", 4), std::string(8, '\xFF'), std::string(57, 'z')));

// ---------------------------------------------------------------------------------------------
// Decryption of the text format.

struct DecryptCase {
    const char* name;
    std::string cipher;  // "<C>" stands for the cipher text of kPlain
    std::string expected;
};

const std::string kPlain = "password";  // exactly one block, no fill

std::string expand(const std::string& pattern) {
    std::string text = pattern;
    const auto at = text.find("<C>");
    if (at != std::string::npos) text.replace(at, 3, cipher::DesEncryptToHex(kPlain, kKey));
    return text;
}

class HexCipherDecryptTest : public ::testing::TestWithParam<DecryptCase> {};

TEST_P(HexCipherDecryptTest, ReadsTheFormat) {
    EXPECT_EQ(cipher::DesDecryptFromHex(expand(GetParam().cipher), kKey), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexCipherDecryptTest,
    ::testing::Values(DecryptCase{"Valid", "<C>", kPlain}, DecryptCase{"Empty", "", ""}, DecryptCase{"Blank", " ", ""},
                      DecryptCase{"LeadingBlank", " <C>", ""}, DecryptCase{"TrailingBlank", "<C> ", ""},
                      DecryptCase{"LetterBeyondF", "<C>G0", ""}, DecryptCase{"LowerLetterBeyondF", "<C>0g", ""},
                      DecryptCase{"Sign", "-<C>", ""}, DecryptCase{"Plus", "<C>+1", ""},
                      DecryptCase{"DollarPrefix", "$<C>", ""}, DecryptCase{"HexPrefix", "0x<C>", ""},
                      DecryptCase{"ZeroByte", std::string("<C>\0", 4), ""}, DecryptCase{"HighByte", "<C>\xC3", ""},
                      DecryptCase{"Newline", "<C>\n", ""}),
    [](const auto& info) { return info.param.name; });

TEST(HexCipher, OddLengthReadsTheLastDigitAlone) {
    const std::string cipher = cipher::DesEncryptToHex(kPlain, kKey);
    // 17 digits are 9 bytes, the last one 0x0A; 18 digits with "0A" are the same bytes.
    EXPECT_EQ(cipher::DesDecryptFromHex(cipher + "A", kKey), cipher::DesDecryptFromHex(cipher + "0A", kKey));
    EXPECT_EQ(cipher::DesDecryptFromHex(cipher + "a", kKey), cipher::DesDecryptFromHex(cipher + "0A", kKey));
    EXPECT_EQ(cipher::DesDecryptFromHex("7", kKey), cipher::DesDecryptFromHex("07", kKey));
}

TEST(HexCipher, ExtraByteMakesASecondZeroFilledBlock) {
    const std::string cipher = cipher::DesEncryptToHex(kPlain, kKey);
    // The second block is the bytes A7 00 00 00 00 00 00 00, decrypted.
    const cipher::DesBlock keyBlock = cipher::DesKeyBlockFromText(kKey);
    cipher::DesSubkeys subkeys;
    cipher::DesKeySchedule(keyBlock, cipher::kDesDecryptionOrder, subkeys);
    const cipher::DesBlock secondCipher = {0xA7, 0, 0, 0, 0, 0, 0, 0};
    cipher::DesBlock secondPlain{};
    cipher::DesCryptBlock(subkeys, secondCipher.data(), secondPlain.data());
    const std::string second(secondPlain.begin(), std::find(secondPlain.begin(), secondPlain.end(), 0));

    EXPECT_EQ(cipher::DesDecryptFromHex(cipher + "A7", kKey), kPlain + second);
    EXPECT_EQ(cipher::DesDecryptFromHex(cipher + "A700000000000000", kKey), kPlain + second);
}

TEST(HexCipher, WrongKeyGivesOtherBytesWithoutAnError) {
    const std::string cipher = cipher::DesEncryptToHex("my secret password", kKey);
    const std::string wrong = cipher::DesDecryptFromHex(cipher, kOtherKey);
    EXPECT_NE(wrong, "my secret password");
    EXPECT_LE(wrong.size(), 24u);
    EXPECT_EQ(wrong.find('\0'), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// The two keys.

TEST(CipherKeys, LoginKeyFillsKeyBytesOneToThree) {
    EXPECT_EQ(cipher::LoginKey(), "kfz");
    EXPECT_EQ(cipher::DesKeyBlockFromText(cipher::LoginKey()), (cipher::DesBlock{0, 'k', 'f', 'z', 0, 0, 0, 0}));
}

TEST(CipherKeys, AccountKeyIsWhatTheMainWindowSets) {
    cipher::setAccountKey("40618253");
    EXPECT_EQ(cipher::AccountKey(), "40618253");
    // The eighth digit lands in key byte 0.
    EXPECT_EQ(cipher::DesKeyBlockFromText(cipher::AccountKey()),
              (cipher::DesBlock{'3', '4', '0', '6', '1', '8', '2', '5'}));
    EXPECT_EQ(cipher::DesEncryptToHex("x", cipher::AccountKey()), cipher::DesEncryptToHex("x", "40618253"));
}

TEST(CipherKeys, AnAccountKeyReadBeforeItIsSetIsAnErrorNotAnEmptyKey) {
    cipher::setAccountKey("");
    EXPECT_THROW(cipher::AccountKey(), std::logic_error);
    cipher::setAccountKey(cipher::kAccountKeyText);
    EXPECT_EQ(cipher::AccountKey(), cipher::kAccountKeyText);
}

}  // namespace
