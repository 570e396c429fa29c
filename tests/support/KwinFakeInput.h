#pragma once

#include <QByteArray>
#include <QPoint>
#include <QProcess>
#include <QString>

#include "platform/wayland/WaylandKeyboard.h"

namespace tessavo::test {

// KWin's own fake input on its Wayland display, as KDE's tools (and its portal) press keys and
// move the mouse: what the harness presses goes through KWin's input handling like the user's
// own keyboard, its global shortcuts included. KWin offers it only to programs it trusts, or to
// all with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1.
//
// As the output of a WaylandKeyboard it types text: KWin reads the keys through the session's
// own keymap and works the modifiers out itself, so the keymap and modifier requests go nowhere.
// The requests go through a helper of the desktop's user (tests/support/kde).
class KwinFakeInput final : public platform::VirtualKeyboardOutput {
public:
    // Throws std::runtime_error when the display cannot be reached or offers no fake input.
    explicit KwinFakeInput(const QString& waylandSocket);
    ~KwinFakeInput() override;
    KwinFakeInput(const KwinFakeInput&) = delete;
    KwinFakeInput& operator=(const KwinFakeInput&) = delete;

    // Moves the pointer to the point of the desktop and clicks the left button there.
    void click(QPoint at);

    void keymap(const std::string&) override {}
    void key(platform::KeyNumber key, bool press) override;
    void modifiers(const platform::ModifierState&) override {}
    void roundTrip() override;
    void flush() override;

private:
    bool awaitLine(const QByteArray& expected);
    void send(const QString& line);

    QProcess tool_;
};

}  // namespace tessavo::test
