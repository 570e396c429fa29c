#pragma once

#include <QByteArray>
#include <QStringList>
#include <vector>

class QApplication;

namespace tessavo::app {

// The application-wide part of start-up: the theme "Sky", the title, the icon and Qt's own
// texts in Chinese; the application ends only when the main window closes, never because its
// last window hid.
void prepareApplication(QApplication& app);

// The command line handed to Qt. The program reads no arguments, so Qt gets the program's
// name only and none of its own options (-style, -platform, -qwindowtitle, ...) can change
// the program. The hotkeys, the typed keys and the window states need X11: unless the user
// chose a platform in QT_QPA_PLATFORM, Qt is told "-platform xcb", so under a Wayland session
// the program runs through Xwayland instead of quietly losing them. The option (rather than
// the variable) keeps the choice away from the programs the user opens from ours.
class QtCommandLine {
public:
    // program: the name the program was started under (argv[0]); null gives "tessavo".
    explicit QtCommandLine(const char* program);
    QtCommandLine(const QtCommandLine&) = delete;
    QtCommandLine& operator=(const QtCommandLine&) = delete;

    // What QApplication takes; both stay valid for the object's lifetime.
    int& argc() { return argc_; }
    char** argv() { return pointers_.data(); }
    QStringList arguments() const;

private:
    std::vector<QByteArray> arguments_;
    std::vector<char*> pointers_;
    int argc_ = 0;
};

}  // namespace tessavo::app
