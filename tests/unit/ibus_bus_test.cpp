// What the IBus switch reads before it calls IBus: the name of the file with ibus-daemon's bus
// address, the address in it, the layout of the X server's active group, and the xkb engine
// that types that layout.
#include <gtest/gtest.h>

#include <string>

#include "platform/keyboard/IbusBus.h"
#include "platform/keyboard/KeyboardLayout.h"

namespace tessavo::platform {
namespace {

const QString kMachine = QStringLiteral("3d1219c7c4c5404aaa1f6d2a48adfda4");

TEST(IbusBus, TheAddressFileIsNamedAfterTheDisplayIbusRunsOn) {
    struct Case {
        const char* waylandDisplay;
        const char* x11Display;
        const char* name;  // after the machine id and a dash
    };
    const Case cases[] = {
        {"", ":0", "unix-0"},
        {"", ":1.0", "unix-1"},
        {"", ":12.3", "unix-12"},
        {"", "host:2", "host-2"},
        {"", "", "unix-0"},  // ibus-daemon's own choice without a display
        {"wayland-0", ":0", "unix-wayland-0"},
        {"wayland-1", "", "unix-wayland-1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            ibusAddressFileName(kMachine, QString::fromLatin1(c.waylandDisplay), QString::fromLatin1(c.x11Display)),
            kMachine + QLatin1Char('-') + QString::fromLatin1(c.name))
            << "WAYLAND_DISPLAY=" << c.waylandDisplay << " DISPLAY=" << c.x11Display;
    }
}

TEST(IbusBus, TheAddressIsTheFilesAddressLine) {
    const QByteArray written =
        "# This file is created by ibus-daemon, please do not modify it.\n"
        "# If the IBUS_ADDRESS environment variable is set, it will\n"
        "# be used rather than this file.\n"
        "IBUS_ADDRESS=unix:abstract=/home/u/.cache/ibus/dbus-bpHTp3Hs,guid=dcf59d7877ff5d45c6bec5ee6b1bca81\n"
        "IBUS_DAEMON_PID=15766\n";
    EXPECT_EQ(ibusAddressIn(written),
              QStringLiteral("unix:abstract=/home/u/.cache/ibus/dbus-bpHTp3Hs,guid=dcf59d7877ff5d45c6bec5ee6b1bca81"));
    EXPECT_EQ(ibusAddressIn("# only comments\nIBUS_DAEMON_PID=1\n"), QString());
    EXPECT_EQ(ibusAddressIn(""), QString());
}

TEST(IbusBus, TheActiveGroupPicksItsLayoutAndVariant) {
    using namespace std::string_literals;
    struct Case {
        std::string rulesNames;
        unsigned group;
        KeyboardLayout layout;
    };
    const Case cases[] = {
        {"evdev\0pc105\0us\0\0\0"s, 0, {"us", ""}},
        {"evdev\0pc105\0us,de\0,neo\0grp:alt_shift_toggle\0"s, 0, {"us", ""}},
        {"evdev\0pc105\0us,de\0,neo\0grp:alt_shift_toggle\0"s, 1, {"de", "neo"}},
        {"evdev\0pc105\0fr,de\0bepo\0\0"s, 1, {"de", ""}},  // fewer variants than layouts
        {"evdev\0pc105\0us\0\0\0"s, 2, {"", ""}},           // a group the names do not reach
        {"evdev\0pc105"s, 0, {"", ""}},                     // cut short
        {""s, 0, {"", ""}},
    };
    for (const Case& c : cases) {
        const KeyboardLayout layout = layoutOfGroup(c.rulesNames, c.group);
        EXPECT_EQ(layout, c.layout) << "group " << c.group << ": got " << layout.layout << "(" << layout.variant << ")";
    }
}

TEST(IbusBus, OnlyXkbEnginesTypeTheKeysAsTheyCome) {
    EXPECT_TRUE(isKeyboardEngine(QStringLiteral("xkb:us::eng")));
    EXPECT_TRUE(isKeyboardEngine(QStringLiteral("xkb:de:neo:ger")));
    EXPECT_FALSE(isKeyboardEngine(QStringLiteral("libpinyin")));
    EXPECT_FALSE(isKeyboardEngine(QStringLiteral("anthy")));
    EXPECT_FALSE(isKeyboardEngine(QString()));
}

TEST(IbusBus, TheKeyboardEngineTypesTheActiveLayout) {
    // Engines as ibus-daemon lists them, in its order, a composing one among them.
    const QStringList engines = {
        QStringLiteral("xkb:in::kfy"),     QStringLiteral("xkb:de:neo:ger"), QStringLiteral("libpinyin"),
        QStringLiteral("xkb:us:intl:eng"), QStringLiteral("xkb:in::eng"),    QStringLiteral("xkb:de::ger"),
        QStringLiteral("xkb:us::eng"),     QStringLiteral("xkb:fr::fra"),    QStringLiteral("xkb:us:dvorak:eng"),
    };
    struct Case {
        KeyboardLayout layout;
        const char* engine;
    };
    const Case cases[] = {
        {{"us", ""}, "xkb:us::eng"},        {{"us", "dvorak"}, "xkb:us:dvorak:eng"},
        {{"us", "colemak"}, "xkb:us::eng"},  // a variant without an engine: the layout's own
        {{"de", ""}, "xkb:de::ger"},        {{"de", "neo"}, "xkb:de:neo:ger"},
        {{"fr", ""}, "xkb:fr::fra"},        {{"in", ""}, "xkb:in::eng"},  // one per language: the first by name
        {{"jp", ""}, "xkb:us::eng"},                                      // a layout without an engine
        {{"", ""}, "xkb:us::eng"},                                        // a layout that could not be told
    };
    for (const Case& c : cases) {
        EXPECT_EQ(keyboardEngineFor(c.layout, engines), QString::fromLatin1(c.engine))
            << c.layout.layout << "(" << c.layout.variant << ")";
    }
    EXPECT_EQ(keyboardEngineFor({"de", ""}, {}), QStringLiteral("xkb:us::eng")) << "no engine list";
}

}  // namespace
}  // namespace tessavo::platform
