// The choice of keys for a character among the levels of the active group, and the spare keys
// lent to characters no key gives, over a keymap written by hand and a recording keymap writer.
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/keyboard/KeyStrokes.h"

namespace tessavo::platform {
namespace {

// Keysyms as X names them.
constexpr KeySymbol kAt = 0x40, kBackslash = 0x5c, kQuestion = 0x3f, kExclam = 0x21, kOne = 0x31;
constexpr KeySymbol kQ = 0x71, kUpperQ = 0x51, kE = 0x65, kUpperE = 0x45, kSsharp = 0xdf;
constexpr KeySymbol kQuestionDown = 0xbf, kExclamDown = 0xa1, kOneSuperior = 0xb9, kAcute = 0xb4, kGrave = 0x60;
constexpr KeySymbol kEacute = 0xe9, kDegree = 0xb0, kEuro = 0x20ac;
constexpr KeySymbol kDeadAcute = 0xfe51, kDeadGrave = 0xfe50, kDeadCircumflex = 0xfe52, kDeadCedilla = 0xfe5b;
constexpr KeySymbol kHan = 0x1004e2d;

// A few keys of a German keyboard: AltGr reaches @, €, backslash; the accents are dead keys.
const std::vector<KeyLevels> kGermanKeys = {
    {10, {kOne, kExclam, kOneSuperior, kExclamDown}},
    {20, {kSsharp, kQuestion, kBackslash, kQuestionDown}},
    {21, {kDeadAcute, kDeadGrave, kDeadCedilla, 0}},
    {24, {kQ, kUpperQ, kAt, 0}},
    {26, {kE, kUpperE, kEuro, 0}},
    {49, {kDeadCircumflex, kDegree, 0, 0}},
    // A key further on that gives the backslash without AltGr: it wins over level three.
    {94, {kBackslash, 0, 0, 0}},
};

struct StrokeCase {
    const char* what;
    std::vector<KeySymbol> wanted;
    bool preferShift;
    bool haveLevelThree;
    std::optional<KeyStroke> expected;
};

TEST(FindKeyStroke, TakesTheLowestLevelThatGivesTheCharacterAndNeverADeadKey) {
    const std::vector<StrokeCase> cases = {
        {"plain letter", {kQ}, false, true, KeyStroke{24, false, false}},
        {"Shift level", {kQuestion}, true, true, KeyStroke{20, true, false}},
        {"level three", {kAt}, false, true, KeyStroke{24, false, true}},
        {"level three by its second keysym", {0x10020ac, kEuro}, false, true, KeyStroke{26, false, true}},
        {"level four", {kQuestionDown}, false, true, KeyStroke{20, true, true}},
        {"plain level on a later key before level three", {kBackslash}, false, true, KeyStroke{94, false, false}},
        {"no level-three key", {kAt}, false, false, std::nullopt},
        {"only a dead key gives the accent", {kAcute}, false, true, std::nullopt},
        {"only a dead key gives the grave", {kGrave}, false, true, std::nullopt},
        {"composed only through a dead key", {kEacute}, false, true, std::nullopt},
        {"on no key", {kHan}, false, true, std::nullopt},
        {"no symbol asked for", {}, false, true, std::nullopt},
    };
    for (const StrokeCase& c : cases) {
        EXPECT_EQ(findKeyStroke(kGermanKeys, c.wanted, c.preferShift, c.haveLevelThree), c.expected) << c.what;
    }
}

TEST(FindKeyStroke, ThePreferredOfTheTwoFirstLevelsComesFirst) {
    // "1" plain on one key and shifted on another, as on a French keyboard's number row.
    const std::vector<KeyLevels> keys = {{10, {0x26, kOne, 0, 0}}, {87, {kOne, 0, 0, 0}}};
    EXPECT_EQ(findKeyStroke(keys, {kOne}, true, false), (KeyStroke{10, true, false}));
    EXPECT_EQ(findKeyStroke(keys, {kOne}, false, false), (KeyStroke{87, false, false}));
}

// Writes nothing; keeps what the spare keys asked for, in order.
class RecordingKeymapWriter : public KeymapWriter {
public:
    bool bind(KeyNumber key, const std::vector<KeySymbol>& symbols) override {
        std::string entry = "bind " + std::to_string(key);
        for (const KeySymbol symbol : symbols) entry += " " + std::to_string(symbol);
        log.push_back(entry);
        if (refused.empty() || refused.front() != key) return true;
        refused.erase(refused.begin());
        return false;
    }
    void clear(KeyNumber key) override { log.push_back("clear " + std::to_string(key)); }
    void settle(int changes) override { log.push_back("settle " + std::to_string(changes)); }

    std::vector<std::string> log;
    std::vector<KeyNumber> refused;  // keys whose next bind the server refuses
};

using Log = std::vector<std::string>;

TEST(SpareKeys, LendsEachSymbolSetOneKeyAndEmptiesThemAllAtTheEnd) {
    RecordingKeymapWriter writer;
    {
        SpareKeys spares(writer, {93, 97, 103});
        EXPECT_EQ(spares.keyFor({kEacute, 0xc9}), 93);
        EXPECT_EQ(spares.keyFor({kHan}), 97);
        EXPECT_EQ(spares.keyFor({kEacute, 0xc9}), 93) << "lent once per burst";
        EXPECT_EQ(writer.log, (Log{"bind 93 233 201", "bind 97 16797229"}));
    }
    EXPECT_EQ(writer.log, (Log{"bind 93 233 201", "bind 97 16797229", "settle 2", "clear 93", "clear 97"}));
}

TEST(SpareKeys, WhenEveryKeyIsLentTheyAllChangeHandsTogetherOnceTheirKeysSettled) {
    RecordingKeymapWriter writer;
    SpareKeys spares(writer, {93, 97});
    std::vector<KeyNumber> reused;
    spares.onReuse = [&reused](KeyNumber key) { reused.push_back(key); };
    EXPECT_EQ(spares.keyFor({kAt}), 93);
    EXPECT_EQ(spares.keyFor({kBackslash}), 97);
    EXPECT_TRUE(reused.empty());
    EXPECT_EQ(spares.keyFor({kEuro}), 93);
    EXPECT_EQ(reused, (std::vector<KeyNumber>{93, 97}));
    EXPECT_EQ(spares.keyFor({kAt}), 97) << "lent anew in the new round";
    EXPECT_EQ(spares.keyFor({kEuro}), 93);
    spares.restore();
    EXPECT_EQ(writer.log, (Log{"bind 93 64", "bind 97 92", "settle 2", "bind 93 8364", "bind 97 64", "settle 2",
                               "clear 93", "clear 97"}));
    writer.log.clear();
    spares.restore();
    EXPECT_TRUE(writer.log.empty()) << "nothing left to empty";
}

TEST(SpareKeys, WithoutAnEmptyKeyOrWhenTheServerRefusesThereIsNone) {
    RecordingKeymapWriter writer;
    {
        SpareKeys none(writer, {});
        EXPECT_EQ(none.keyFor({kAt}), std::nullopt);
    }
    EXPECT_TRUE(writer.log.empty());

    writer.refused = {93};
    {
        SpareKeys spares(writer, {93, 97});
        EXPECT_EQ(spares.keyFor({kAt}), std::nullopt);
        EXPECT_EQ(spares.keyFor({kAt}), 97) << "the next key is tried for the next character";
    }
    EXPECT_EQ(writer.log, (Log{"bind 93 64", "clear 93", "bind 97 64", "settle 1", "clear 93", "clear 97"}));
}

TEST(SpareKeys, ABurstEndingEarlyEmptiesItsKeysAsWell) {
    RecordingKeymapWriter writer;
    try {
        SpareKeys spares(writer, {93});
        ASSERT_EQ(spares.keyFor({kHan}), 93);
        throw std::runtime_error("the burst ends early");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(writer.log, (Log{"bind 93 16797229", "settle 1", "clear 93"}));
}

}  // namespace
}  // namespace tessavo::platform
