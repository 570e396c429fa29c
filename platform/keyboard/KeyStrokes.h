#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tessavo::platform {

// An X keysym and an X keycode, kept apart from Xlib's headers so that the choice of keys can
// be tried without a server.
using KeySymbol = std::uint32_t;
using KeyNumber = std::uint8_t;

// What one key gives in the active group: with no modifier, with Shift, with the level-three
// key, and with Shift and the level-three key; 0 where it gives nothing.
struct KeyLevels {
    KeyNumber key = 0;
    std::array<KeySymbol, 4> symbols{};
};

// How one character is typed: the key, and whether Shift and the level-three key go with it.
struct KeyStroke {
    KeyNumber key = 0;
    bool shift = false;
    bool levelThree = false;
    bool operator==(const KeyStroke&) const = default;
};

// The first key that gives one of the wanted symbols: the plain and Shift levels first (the
// preferred one before the other), then levels three and four when the keymap has a key that
// reaches them. Only the character's own symbols match, so a dead key is never chosen.
std::optional<KeyStroke> findKeyStroke(const std::vector<KeyLevels>& keys, const std::vector<KeySymbol>& wanted,
                                       bool preferShift, bool haveLevelThree);

// Changes single keys of the display server's keymap.
class KeymapWriter {
public:
    virtual ~KeymapWriter() = default;
    // Gives the key these symbols (plain, then Shift); false when the server refuses.
    virtual bool bind(KeyNumber key, const std::vector<KeySymbol>& symbols) = 0;
    // Takes every symbol off the key again.
    virtual void clear(KeyNumber key) = 0;
    // Lets the other programs take in the key events sent with the keys bound so far before
    // their symbols change again; `changes` is how many keys were bound since the last call.
    virtual void settle(int changes) = 0;
};

// Keys without any symbol, lent for one burst of typing to symbols that no key gives. Every
// key lent goes back to empty when the object goes, also when the burst ends early.
class SpareKeys {
public:
    SpareKeys(KeymapWriter& writer, std::vector<KeyNumber> emptyKeys);
    ~SpareKeys();
    SpareKeys(const SpareKeys&) = delete;
    SpareKeys& operator=(const SpareKeys&) = delete;

    // A key giving these symbols (plain, then Shift): the one lent to them earlier in this round,
    // else the next one not yet lent; once every key has been lent, a new round begins and all of
    // them are lent afresh. None when there is no empty key or the server refuses.
    std::optional<KeyNumber> keyFor(const std::vector<KeySymbol>& symbols);
    // Empties every key lent so far; after this the object lends afresh.
    void restore();
    // Called with each key that is about to be lent to other symbols.
    std::function<void(KeyNumber)> onReuse;

private:
    struct Loan {
        KeyNumber key;
        std::vector<KeySymbol> symbols;
    };
    KeymapWriter& writer_;
    std::vector<KeyNumber> emptyKeys_;
    std::vector<Loan> loans_;      // this round's, in the order of the empty keys
    std::vector<KeyNumber> used_;  // every key bound in the burst
    int changesSinceSettle_ = 0;
};

}  // namespace tessavo::platform
