// The program's atom table, which gives the hotkeys their identifiers.
#include <gtest/gtest.h>

#include <QString>

#include "platform/keyboard/GlobalAtoms.h"

using namespace tessavo::platform;

namespace {

// Names of this file only, so the table's other users do not interfere.
QString name(const char* text) { return QStringLiteral("atoms-test-") + QString::fromLatin1(text); }

TEST(GlobalAtoms, ANameKeepsItsValueWhileReferencesAreHeld) {
    const std::uint16_t first = GlobalAddAtom(name("kept"));
    ASSERT_NE(first, 0);
    EXPECT_GE(first, 0xC000);  // string atoms
    EXPECT_EQ(GlobalAddAtom(name("kept")), first);
    EXPECT_EQ(globalAtomReferences(first), 2);
    EXPECT_EQ(GlobalFindAtom(name("kept")), first);

    GlobalDeleteAtom(first);
    EXPECT_EQ(globalAtomReferences(first), 1);
    EXPECT_EQ(GlobalFindAtom(name("kept")), first);

    GlobalDeleteAtom(first);
    EXPECT_EQ(globalAtomReferences(first), 0);
    EXPECT_EQ(GlobalFindAtom(name("kept")), 0);

    GlobalDeleteAtom(first);  // gone already: ignored
    EXPECT_EQ(globalAtomReferences(first), 0);
}

TEST(GlobalAtoms, NamesDifferingOnlyInLetterCaseShareTheAtom) {
    const std::uint16_t lower = GlobalAddAtom(name("case"));
    const std::uint16_t upper = GlobalAddAtom(name("case").toUpper());
    EXPECT_EQ(lower, upper);
    EXPECT_EQ(globalAtomReferences(lower), 2);
    GlobalDeleteAtom(lower);
    GlobalDeleteAtom(upper);
    EXPECT_EQ(GlobalFindAtom(name("case")), 0);
}

TEST(GlobalAtoms, DifferentNamesGetDifferentValues) {
    const std::uint16_t a = GlobalAddAtom(name("a"));
    const std::uint16_t b = GlobalAddAtom(name("b"));
    EXPECT_NE(a, b);
    GlobalDeleteAtom(a);
    EXPECT_EQ(GlobalFindAtom(name("b")), b);  // dropping one leaves the other
    const std::uint16_t c = GlobalAddAtom(name("c"));
    EXPECT_NE(c, b);
    GlobalDeleteAtom(b);
    GlobalDeleteAtom(c);
}

TEST(GlobalAtoms, EmptyAndOverlongNamesGetNoAtom) {
    EXPECT_EQ(GlobalAddAtom(QString()), 0);
    EXPECT_EQ(GlobalAddAtom(QString(256, QLatin1Char('x'))), 0);
    const QString longest(255, QLatin1Char('y'));
    const std::uint16_t atom = GlobalAddAtom(longest);
    EXPECT_NE(atom, 0);
    GlobalDeleteAtom(atom);
}

}  // namespace
