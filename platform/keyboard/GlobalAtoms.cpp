#include "platform/keyboard/GlobalAtoms.h"

#include <map>

namespace tessavo::platform {
namespace {

constexpr std::uint32_t kFirstAtom = 0xC000;
constexpr std::uint32_t kLastAtom = 0xFFFF;
constexpr int kMaxNameLength = 255;

struct Atom {
    QString name;  // case-folded
    int references = 0;
};

std::map<std::uint16_t, Atom>& table() {
    static std::map<std::uint16_t, Atom> atoms;
    return atoms;
}

// The lowest value no atom holds, or 0 when all are taken.
std::uint16_t freeValue() {
    std::uint32_t value = kFirstAtom;
    for (const auto& [taken, atom] : table()) {
        if (taken != value) break;
        ++value;
    }
    return value <= kLastAtom ? static_cast<std::uint16_t>(value) : 0;
}

}  // namespace

std::uint16_t GlobalFindAtom(const QString& name) {
    const QString folded = name.toCaseFolded();
    for (const auto& [value, atom] : table()) {
        if (atom.name == folded) return value;
    }
    return 0;
}

std::uint16_t GlobalAddAtom(const QString& name) {
    if (name.isEmpty() || name.size() > kMaxNameLength) return 0;
    std::uint16_t value = GlobalFindAtom(name);
    if (value == 0) {
        value = freeValue();
        if (value == 0) return 0;
        table()[value].name = name.toCaseFolded();
    }
    ++table()[value].references;
    return value;
}

void GlobalDeleteAtom(std::uint16_t atom) {
    const auto found = table().find(atom);
    if (found == table().end()) return;
    if (--found->second.references == 0) table().erase(found);
}

int globalAtomReferences(std::uint16_t atom) {
    const auto found = table().find(atom);
    return found == table().end() ? 0 : found->second.references;
}

}  // namespace tessavo::platform
