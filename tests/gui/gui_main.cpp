#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

// The gui tier runs real forms on the offscreen platform, with a home directory of its own so
// that desktop entries and settings never reach the user's.
int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The session the tests are run from does not count: a test that needs a Wayland session
    // names it itself.
    qunsetenv("XDG_SESSION_TYPE");
    qunsetenv("WAYLAND_DISPLAY");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
