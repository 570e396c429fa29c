#include "platform/keyboard/KeyStrokes.h"

#include <algorithm>
#include <utility>

namespace tessavo::platform {
namespace {

constexpr int kShiftLevel = 1;
constexpr int kLevelThree = 2;

bool wanted(const std::vector<KeySymbol>& symbols, KeySymbol symbol) {
    return symbol != 0 && std::find(symbols.begin(), symbols.end(), symbol) != symbols.end();
}

}  // namespace

std::optional<KeyStroke> findKeyStroke(const std::vector<KeyLevels>& keys, const std::vector<KeySymbol>& symbols,
                                       bool preferShift, bool haveLevelThree) {
    std::vector<int> levels = preferShift ? std::vector<int>{1, 0} : std::vector<int>{0, 1};
    if (haveLevelThree) levels.insert(levels.end(), {2, 3});
    for (const int level : levels) {
        for (const KeyLevels& key : keys) {
            if (wanted(symbols, key.symbols[level])) {
                return KeyStroke{key.key, (level & kShiftLevel) != 0, (level & kLevelThree) != 0};
            }
        }
    }
    return std::nullopt;
}

SpareKeys::SpareKeys(KeymapWriter& writer, std::vector<KeyNumber> emptyKeys)
    : writer_(writer), emptyKeys_(std::move(emptyKeys)) {}

SpareKeys::~SpareKeys() { restore(); }

std::optional<KeyNumber> SpareKeys::keyFor(const std::vector<KeySymbol>& symbols) {
    const auto lent =
        std::find_if(loans_.begin(), loans_.end(), [&](const Loan& loan) { return loan.symbols == symbols; });
    if (lent != loans_.end()) return lent->key;
    if (emptyKeys_.empty()) return std::nullopt;
    if (loans_.size() == emptyKeys_.size()) {
        // Every key is lent: once the keys typed with them have arrived, they all change hands
        // together, so the wait comes once per round of keys rather than once per character.
        writer_.settle(std::exchange(changesSinceSettle_, 0));
        for (const Loan& loan : loans_) {
            if (onReuse) onReuse(loan.key);
        }
        loans_.clear();
    }
    const KeyNumber key = emptyKeys_[loans_.size()];
    if (std::find(used_.begin(), used_.end(), key) == used_.end()) used_.push_back(key);
    if (!writer_.bind(key, symbols)) {
        writer_.clear(key);
        // The key stays taken, empty, for this round: the next character tries the next key.
        loans_.push_back({key, {}});
        return std::nullopt;
    }
    ++changesSinceSettle_;
    loans_.push_back({key, symbols});
    return key;
}

void SpareKeys::restore() {
    if (used_.empty()) return;
    // Programs read a changed keymap when they come to its notice: the keys must still give
    // their symbols until every program has taken in the keys typed with them.
    writer_.settle(std::exchange(changesSinceSettle_, 0));
    for (const KeyNumber key : used_) writer_.clear(key);
    used_.clear();
    loans_.clear();
}

}  // namespace tessavo::platform
