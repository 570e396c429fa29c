#pragma once

#include <QString>
#include <cstdint>

namespace tessavo::platform {

// The program's atom table, standing in for the system's global atoms: a name keeps one 16-bit
// value (0xC000 to 0xFFFF, the range of string atoms) while at least one reference to it is
// held. Names compare without regard to letter case. Only the user-interface thread uses it.

// Adds a reference to the name's atom, making the atom when the name has none; 0 for an empty
// or overlong name (more than 255 characters) or when every value is taken.
std::uint16_t GlobalAddAtom(const QString& name);
// Drops one reference; the atom and its value go with the last one. Unknown atoms are ignored.
void GlobalDeleteAtom(std::uint16_t atom);
// The name's atom, or 0 when it has none; adds no reference.
std::uint16_t GlobalFindAtom(const QString& name);
// How many references the atom holds; 0 when it does not exist.
int globalAtomReferences(std::uint16_t atom);

}  // namespace tessavo::platform
