#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "cipher/DesBlockCipher.h"
#include "cipher/Unit_Orvel_DESCrypt.h"

namespace {

using tessavo::cipher::DesBlock;
using tessavo::cipher::DesSubkeys;

DesBlock blockFromHex(const std::string& hex) {
    DesBlock block{};
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    return block;
}

std::string bytesOf(const DesBlock& block) { return std::string(block.begin(), block.end()); }

// A key text whose key block is `keyBlock`: text bytes 1 to 7 land in key bytes 1 to 7, and
// text byte 8 in key byte 0.
std::string keyTextFor(const DesBlock& keyBlock) {
    return bytesOf(keyBlock).substr(1) + bytesOf(keyBlock).substr(0, 1);
}

DesBlock crypt(const DesBlock& keyBlock, std::uint8_t order, const DesBlock& input) {
    DesSubkeys subkeys;
    tessavo::cipher::DesKeySchedule(keyBlock, order, subkeys);
    DesBlock output{};
    tessavo::cipher::DesCryptBlock(subkeys, input.data(), output.data());
    return output;
}
DesBlock encrypt(const DesBlock& key, const DesBlock& in) {
    return crypt(key, tessavo::cipher::kDesEncryptionOrder, in);
}
DesBlock decrypt(const DesBlock& key, const DesBlock& in) {
    return crypt(key, tessavo::cipher::kDesDecryptionOrder, in);
}

// ---------------------------------------------------------------------------------------------
// Key block from key text.

struct KeyTextCase {
    std::string text;
    DesBlock keyBlock;
};

class DesKeyBlockFromTextTest : public ::testing::TestWithParam<KeyTextCase> {};

TEST_P(DesKeyBlockFromTextTest, AddsTextByteIIntoKeyByteIMod8) {
    EXPECT_EQ(tessavo::cipher::DesKeyBlockFromText(GetParam().text), GetParam().keyBlock);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DesKeyBlockFromTextTest,
    ::testing::Values(KeyTextCase{"", {0, 0, 0, 0, 0, 0, 0, 0}}, KeyTextCase{"abc", {0, 'a', 'b', 'c', 0, 0, 0, 0}},
                      KeyTextCase{"12345678", {'8', '1', '2', '3', '4', '5', '6', '7'}},
                      KeyTextCase{"123456789", {'8', '1' + '9', '2', '3', '4', '5', '6', '7'}},
                      // Sums wrap modulo 256.
                      KeyTextCase{std::string("\xF0xxxxxxx\x20", 9), {'x', 0x10, 'x', 'x', 'x', 'x', 'x', 'x'}},
                      // A zero byte counts like any other byte.
                      KeyTextCase{std::string("\0\0\x05", 3), {0, 0, 0, 5, 0, 0, 0, 0}},
                      // Sixteen bytes: each key byte receives two text bytes.
                      KeyTextCase{"\x01\x02\x03\x04\x05\x06\x07\x08\x10\x20\x30\x40\x50\x60\x70\x80",
                                  {0x88, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77}}));

// ---------------------------------------------------------------------------------------------
// The computed tables.

TEST(DesTables, ScheduleTableFoldsTheRotationsIntoPc2) {
    const std::vector<int> firstOfIteration1 = {15, 18, 12, 25, 2, 6, 4, 1};
    EXPECT_TRUE(
        std::equal(firstOfIteration1.begin(), firstOfIteration1.end(), tessavo::cipher::DesScheduleTable[0].begin()));
    // After 16 iterations C and D have turned 28 places, all the way round: PC-2 itself.
    for (int j = 0; j < 48; ++j)
        EXPECT_EQ(tessavo::cipher::DesScheduleTable[15][j], tessavo::cipher::des::kPermutedChoice2[j]) << j;
    for (const auto& row : tessavo::cipher::DesScheduleTable) {
        EXPECT_EQ(std::set<int>(row.begin(), row.end()).size(), 48u);
        // The first 24 subkey bits come from C, the others from D.
        EXPECT_TRUE(std::all_of(row.begin(), row.begin() + 24, [](int p) { return p >= 1 && p <= 28; }));
        EXPECT_TRUE(std::all_of(row.begin() + 24, row.end(), [](int p) { return p >= 29 && p <= 56; }));
    }
}

// The 4-bit value of S-box k (1 to 8) at row and column, read back from the bit tables.
int sboxValue(int k, int row, int column) {
    int value = 0;
    for (int b = 0; b < 4; ++b) value = value << 1 | tessavo::cipher::DesSboxBitTables[b][k - 1][16 * row + column];
    return value;
}

TEST(DesTables, SboxBitTablesHoldTheStandardsValues) {
    EXPECT_EQ(sboxValue(1, 0, 0), 14);
    EXPECT_EQ(sboxValue(1, 3, 15), 13);
    EXPECT_EQ(sboxValue(4, 2, 5), 11);
    EXPECT_EQ(sboxValue(8, 3, 15), 11);
    // Every row of every S-box is a permutation of 0 to 15.
    for (int k = 1; k <= 8; ++k)
        for (int row = 0; row < 4; ++row) {
            std::set<int> values;
            for (int column = 0; column < 16; ++column) values.insert(sboxValue(k, row, column));
            EXPECT_EQ(values.size(), 16u) << "S" << k << " row " << row;
        }
    for (const auto& bit : tessavo::cipher::DesSboxBitTables)
        for (const auto& box : bit) EXPECT_TRUE(std::all_of(box.begin(), box.end(), [](int v) { return v <= 1; }));
}

// ---------------------------------------------------------------------------------------------
// Known answers (FIPS 46-3 validation, NIST SP 800-17), reached through key texts.

struct KnownAnswer {
    std::string key;
    std::string plain;
    std::string cipher;
};

void PrintTo(const KnownAnswer& c, std::ostream* os) { *os << c.key << " " << c.plain << " -> " << c.cipher; }

std::string singleBitHex(int bit, std::uint8_t background) {
    tessavo::cipher::DesBlock block;
    block.fill(background);
    block[bit / 8] = static_cast<std::uint8_t>(block[bit / 8] | 0x80 >> bit % 8);
    std::string hex;
    for (const auto byte : block) {
        static const char digits[] = "0123456789ABCDEF";
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

// Variable plaintext: key 0101010101010101, plaintext with bit i set.
std::vector<KnownAnswer> variablePlaintext() {
    const char* ciphers[64] = {
        "95F8A5E5DD31D900", "DD7F121CA5015619", "2E8653104F3834EA", "4BD388FF6CD81D4F", "20B9E767B2FB1456",
        "55579380D77138EF", "6CC5DEFAAF04512F", "0D9F279BA5D87260", "D9031B0271BD5A0A", "424250B37C3DD951",
        "B8061B7ECD9A21E5", "F15D0F286B65BD28", "ADD0CC8D6E5DEBA1", "E6D5F82752AD63D1", "ECBFE3BD3F591A5E",
        "F356834379D165CD", "2B9F982F20037FA9", "889DE068A16F0BE6", "E19E275D846A1298", "329A8ED523D71AEC",
        "E7FCE22557D23C97", "12A9F5817FF2D65D", "A484C3AD38DC9C19", "FBE00A8A1EF8AD72", "750D079407521363",
        "64FEED9C724C2FAF", "F02B263B328E2B60", "9D64555A9A10B852", "D106FF0BED5255D7", "E1652C6B138C64A5",
        "E428581186EC8F46", "AEB5F5EDE22D1A36", "E943D7568AEC0C5C", "DF98C8276F54B04B", "B160E4680F6C696F",
        "FA0752B07D9C4AB8", "CA3A2B036DBC8502", "5E0905517BB59BCF", "814EEB3B91D90726", "4D49DB1532919C9F",
        "25EB5FC3F8CF0621", "AB6A20C0620D1C6F", "79E90DBC98F92CCA", "866ECEDD8072BB0E", "8B54536F2F3E64A8",
        "EA51D3975595B86B", "CAFFC6AC4542DE31", "8DD45A2DDF90796C", "1029D55E880EC2D0", "5D86CB23639DBEA9",
        "1D1CA853AE7C0C5F", "CE332329248F3228", "8405D1ABE24FB942", "E643D78090CA4207", "48221B9937748A23",
        "DD7C0BBD61FAFD54", "2FBC291A570DB5C4", "E07C30D7E4E26E12", "0953E2258E8E90A1", "5B711BC4CEEBF2EE",
        "CC083F1E6D9E85F6", "D2FD8867D50D2DFE", "06E7EA22CE92708F", "166B40B44ABA4BD6"};
    std::vector<KnownAnswer> cases;
    for (int bit = 0; bit < 64; ++bit) cases.push_back({"0101010101010101", singleBitHex(bit, 0), ciphers[bit]});
    return cases;
}

// Variable key: plaintext 0, key with one of the 56 counting bits set (parity bits 1).
std::vector<KnownAnswer> variableKey() {
    const char* ciphers[56] = {
        "95A8D72813DAA94D", "0EEC1487DD8C26D5", "7AD16FFB79C45926", "D3746294CA6A6CF3", "809F5F873C1FD761",
        "C02FAFFEC989D1FC", "4615AA1D33E72F10", "2055123350C00858", "DF3B99D6577397C8", "31FE17369B5288C9",
        "DFDD3CC64DAE1642", "178C83CE2B399D94", "50F636324A9B7F80", "A8468EE3BC18F06D", "A2DC9E92FD3CDE92",
        "CAC09F797D031287", "90BA680B22AEB525", "CE7A24F350E280B6", "882BFF0AA01A0B87", "25610288924511C2",
        "C71516C29C75D170", "5199C29A52C9F059", "C22F0A294A71F29F", "EE371483714C02EA", "A81FBD448F9E522F",
        "4F644C92E192DFED", "1AFA9A66A6DF92AE", "B3C1CC715CB879D8", "19D032E64AB0BD8B", "3CFAA7A7DC8720DC",
        "B7265F7F447AC6F3", "9DB73B3C0D163F54", "8181B65BABF4A975", "93C9B64042EAA240", "5570530829705592",
        "8638809E878787A0", "41B9A79AF79AC208", "7A9BE42F2009A892", "29038D56BA6D2745", "5495C6ABF1E5DF51",
        "AE13DBD561488933", "024D1FFA8904E389", "D1399712F99BF02E", "14C1D7C1CFFEC79E", "1DE5279DAE3BED6F",
        "E941A33F85501303", "DA99DBBC9A03F379", "B7FC92F91D8E92E9", "AE8E5CAA3CA04E85", "9CC62DF43B6EED74",
        "D863DBB5C59A91A0", "A1AB2190545B91D7", "0875041E64C570F7", "5A594528BEBEF1CC", "FCDB3291DE21F0C0",
        "869EFD7F9F265A09"};
    std::vector<KnownAnswer> cases;
    for (int n = 0; n < 56; ++n) {
        const int bit = n / 7 * 8 + n % 7;  // skips the parity bit of every byte
        cases.push_back({singleBitHex(bit, 0x01), "0000000000000000", ciphers[n]});
    }
    return cases;
}

// Permutation operation and substitution table sets, and the classic worked example.
std::vector<KnownAnswer> tableSets() {
    return {
        {"1046913489980131", "0000000000000000", "88D55E54F54C97B4"},
        {"1007103489988020", "0000000000000000", "0C0CC00C83EA48FD"},
        {"10071034C8980120", "0000000000000000", "83BC8EF3A6570183"},
        {"1046103489988020", "0000000000000000", "DF725DCAD94EA2E9"},
        {"1086911519190101", "0000000000000000", "E652B53B550BE8B0"},
        {"1086911519580101", "0000000000000000", "AF527120C485CBB0"},
        {"5107B01519580101", "0000000000000000", "0F04CE393DB926D5"},
        {"1007B01519190101", "0000000000000000", "C9F00FFC74079067"},
        {"3107915498080101", "0000000000000000", "7CFD82A593252B4E"},
        {"3107919498080101", "0000000000000000", "CB49A2F9E91363E3"},
        {"10079115B9080140", "0000000000000000", "00B588BE70D23F56"},
        {"3107911598090140", "0000000000000000", "406A9A6AB43399AE"},
        {"1007D01589980101", "0000000000000000", "6CB773611DCA9ADA"},
        {"9107911589980101", "0000000000000000", "67FD21C17DBB5D70"},
        {"9107D01589190101", "0000000000000000", "9592CB4110430787"},
        {"1007D01598980120", "0000000000000000", "A6B7FF68A318DDD3"},
        {"1007940498190101", "0000000000000000", "4D102196C914CA16"},
        {"0107910491190401", "0000000000000000", "2DFA9F4573594965"},
        {"0107910491190101", "0000000000000000", "B46604816C0E0774"},
        {"0107940491190401", "0000000000000000", "6E7E6221A4F34E87"},
        {"19079210981A0101", "0000000000000000", "AA85E74643233199"},
        {"1007911998190801", "0000000000000000", "2E5A19DB4D1962D6"},
        {"10079119981A0801", "0000000000000000", "23A866A809D30894"},
        {"1007921098190101", "0000000000000000", "D812D961F017D320"},
        {"100791159819010B", "0000000000000000", "055605816E58608F"},
        {"1004801598190101", "0000000000000000", "ABD88E8B1B7716F1"},
        {"1004801598190102", "0000000000000000", "537AC95BE69DA1E1"},
        {"1004801598190108", "0000000000000000", "AED0F6AE3C25CDD8"},
        {"1002911598100104", "0000000000000000", "B3E35A5EE53E7B8D"},
        {"1002911598190104", "0000000000000000", "61C79C71921A2EF8"},
        {"1002911598100201", "0000000000000000", "E2F5728F0995013C"},
        {"1002911698100101", "0000000000000000", "1AEAC39A61F0A464"},
        {"7CA110454A1A6E57", "01A1D6D039776742", "690F5B0D9A26939B"},
        {"0131D9619DC1376E", "5CD54CA83DEF57DA", "7A389D10354BD271"},
        {"07A1133E4A0B2686", "0248D43806F67172", "868EBB51CAB4599A"},
        {"3849674C2602319E", "51454B582DDF440A", "7178876E01F19B2A"},
        {"04B915BA43FEB5B6", "42FD443059577FA2", "AF37FB421F8C4095"},
        {"0113B970FD34F2CE", "059B5E0851CF143A", "86A560F10EC6D85B"},
        {"0170F175468FB5E6", "0756D8E0774761D2", "0CD3DA020021DC09"},
        {"43297FAD38E373FE", "762514B829BF486A", "EA676B2CB7DB2B7A"},
        {"07A7137045DA2A16", "3BDD119049372802", "DFD64A815CAF1A0F"},
        {"04689104C2FD3B2F", "26955F6835AF609A", "5C513C9C4886C088"},
        {"37D06BB516CB7546", "164D5E404F275232", "0A2AEEAE3FF4AB77"},
        {"1F08260D1AC2465E", "6B056E18759F5CCA", "EF1BF03E5DFA575A"},
        {"584023641ABA6176", "004BD6EF09176062", "88BF0DB6D70DEE56"},
        {"025816164629B007", "480D39006EE762F2", "A1F9915541020B56"},
        {"49793EBC79B3258F", "437540C8698F3CFA", "6FBF1CAFCFFD0556"},
        {"4FB05E1515AB73A7", "072D43A077075292", "2F22E49BAB7CA1AC"},
        {"49E95D6D4CA229BF", "02FE55778117F12A", "5A6B612CC26CCE4A"},
        {"018310DC409B26D6", "1D9D5C5018F728C2", "5F4C038ED12B2E41"},
        {"1C587F1C13924FEF", "305532286D6F295A", "63FAC0D034D9F793"},
        {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
    };
}

class DesKnownAnswerTest : public ::testing::TestWithParam<KnownAnswer> {
protected:
    DesBlock key = blockFromHex(GetParam().key);
    DesBlock plain = blockFromHex(GetParam().plain);
    DesBlock cipher = blockFromHex(GetParam().cipher);
    std::string keyText = keyTextFor(key);
};

TEST_P(DesKnownAnswerTest, BlockLayerEncryptsAndDecrypts) {
    ASSERT_EQ(tessavo::cipher::DesKeyBlockFromText(keyText), key);
    const DesBlock keyBlock = tessavo::cipher::DesKeyBlockFromText(keyText);
    EXPECT_EQ(encrypt(keyBlock, plain), cipher);
    EXPECT_EQ(decrypt(keyBlock, cipher), plain);
}

TEST_P(DesKnownAnswerTest, TextCipherEncryptsAndDecrypts) {
    EXPECT_EQ(tessavo::cipher::DesEncryptToHex(bytesOf(plain), keyText), GetParam().cipher);
    // The text cipher gives the plain bytes up to the first zero byte.
    const std::string plainBytes = bytesOf(plain);
    EXPECT_EQ(tessavo::cipher::DesDecryptFromHex(GetParam().cipher, keyText),
              plainBytes.substr(0, plainBytes.find('\0')));
}

INSTANTIATE_TEST_SUITE_P(VariablePlaintext, DesKnownAnswerTest, ::testing::ValuesIn(variablePlaintext()));
INSTANTIATE_TEST_SUITE_P(VariableKey, DesKnownAnswerTest, ::testing::ValuesIn(variableKey()));
INSTANTIATE_TEST_SUITE_P(PermutationAndSubstitution, DesKnownAnswerTest, ::testing::ValuesIn(tableSets()));

// ---------------------------------------------------------------------------------------------
// Properties over many keys and blocks.

class DesPropertiesTest : public ::testing::Test {
protected:
    DesBlock randomBlock() {
        DesBlock block;
        for (auto& byte : block) byte = static_cast<std::uint8_t>(random());
        return block;
    }
    std::mt19937 random{20171230};
};

TEST_F(DesPropertiesTest, DecryptionUndoesEncryption) {
    for (int n = 0; n < 500; ++n) {
        const DesBlock key = randomBlock();
        const DesBlock block = randomBlock();
        const DesBlock encrypted = encrypt(key, block);
        EXPECT_NE(encrypted, block);
        EXPECT_EQ(decrypt(key, encrypted), block);
    }
}

TEST_F(DesPropertiesTest, ParityBitsChangeNothing) {
    for (int n = 0; n < 100; ++n) {
        const DesBlock key = randomBlock();
        tessavo::cipher::DesBlock flipped = key;
        for (auto& byte : flipped) byte ^= static_cast<std::uint8_t>(random() & 1);
        tessavo::cipher::DesSubkeys a, b;
        tessavo::cipher::DesKeySchedule(key, tessavo::cipher::kDesEncryptionOrder, a);
        tessavo::cipher::DesKeySchedule(flipped, tessavo::cipher::kDesEncryptionOrder, b);
        EXPECT_EQ(a.slots, b.slots);
        const DesBlock block = randomBlock();
        EXPECT_EQ(encrypt(key, block), encrypt(flipped, block));
    }
}

TEST_F(DesPropertiesTest, DecryptionOrderIsTheReverseOfEncryptionOrder) {
    const DesBlock key = randomBlock();
    tessavo::cipher::DesSubkeys forward, backward;
    tessavo::cipher::DesKeySchedule(key, tessavo::cipher::kDesEncryptionOrder, forward);
    tessavo::cipher::DesKeySchedule(key, tessavo::cipher::kDesDecryptionOrder, backward);
    for (int n = 0; n < 16; ++n) EXPECT_EQ(forward.slots[n], backward.slots[15 - n]) << n;
    // Any non-zero flag means encryption order.
    tessavo::cipher::DesSubkeys other;
    tessavo::cipher::DesKeySchedule(key, 7, other);
    EXPECT_EQ(other.slots, forward.slots);
}

TEST_F(DesPropertiesTest, InputAndOutputMayBeTheSameBuffer) {
    const DesBlock key = randomBlock();
    tessavo::cipher::DesBlock block = randomBlock();
    const DesBlock expected = encrypt(key, block);
    tessavo::cipher::DesSubkeys subkeys;
    tessavo::cipher::DesKeySchedule(key, tessavo::cipher::kDesEncryptionOrder, subkeys);
    tessavo::cipher::DesCryptBlock(subkeys, block.data(), block.data());
    EXPECT_EQ(block, expected);
}

// The standard's weak keys are their own inverses, and each semi-weak key undoes its partner.
TEST_F(DesPropertiesTest, WeakAndSemiWeakKeysAreAccepted) {
    const std::vector<std::pair<const char*, const char*>> pairs = {
        {"0101010101010101", "0101010101010101"}, {"FEFEFEFEFEFEFEFE", "FEFEFEFEFEFEFEFE"},
        {"E0E0E0E0F1F1F1F1", "E0E0E0E0F1F1F1F1"}, {"1F1F1F1F0E0E0E0E", "1F1F1F1F0E0E0E0E"},
        {"01FE01FE01FE01FE", "FE01FE01FE01FE01"}, {"1FE01FE00EF10EF1", "E01FE01FF10EF10E"},
        {"01E001E001F101F1", "E001E001F101F101"}, {"1FFE1FFE0EFE0EFE", "FE1FFE1FFE0EFE0E"},
        {"011F011F010E010E", "1F011F010E010E01"}, {"E0FEE0FEF1FEF1FE", "FEE0FEE0FEF1FEF1"}};
    for (const auto& [first, second] : pairs) {
        const DesBlock block = randomBlock();
        const DesBlock once = encrypt(blockFromHex(first), block);
        EXPECT_NE(once, block) << first;
        EXPECT_EQ(encrypt(blockFromHex(second), once), block) << first;
        EXPECT_EQ(decrypt(blockFromHex(first), once), block) << first;
    }
}

}  // namespace
