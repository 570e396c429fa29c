#pragma once

#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/EndToEnd.h"
#include "tests/support/QtPrinters.h"

namespace tessavo::test {

// Places in the main window's client area, from its fixed layout.
namespace fillPlace {
inline const QPoint kGridRows(380, 205);            // among the first rows of the grid
inline const QPoint kSettingsTab(108, 68);          // the page "软件设置"
inline const QPoint kPasteModeButton(60, 352);      // "帐号密码粘贴式"
inline const QPoint kSaveSettingsButton(359, 352);  // "保存配置"
}  // namespace fillPlace

// Another program on the desktop (tests/e2e/target): a window whose text field takes what the
// keyboard and Ctrl+V bring; the test reads back exactly what arrived.
class TargetProgram {
public:
    // Starts it in the environment and waits for its window; throws std::runtime_error when
    // it does not come up.
    TargetProgram(X11Desktop& desktop, const QProcessEnvironment& environment, const QString& outputPath);
    ~TargetProgram();
    TargetProgram(const TargetProgram&) = delete;
    TargetProgram& operator=(const TargetProgram&) = delete;

    // Gives its window the keyboard focus.
    bool focus();
    // What its field holds now.
    QString received() const;
    // Waits until the field holds the text; returns what it holds in the end.
    QString waitFor(const QString& expected) const;
    // Empties the field (Escape) and waits until it is empty.
    void clear();

private:
    X11Desktop& desktop_;
    QString outputPath_;
    QProcess process_;
    XWindowId window_ = 0;
};

enum class TypingMode { Keystroke, Paste };

// Another program that holds Ctrl plus a key (an X key name such as "Left") on the whole screen
// for its lifetime, as a desktop's own shortcut would.
class HeldHotkey {
public:
    HeldHotkey(const std::string& display, const char* keyName);
    ~HeldHotkey();
    HeldHotkey(const HeldHotkey&) = delete;
    HeldHotkey& operator=(const HeldHotkey&) = delete;

private:
    _XDisplay* display_ = nullptr;
};

// The program with one account record on a private X server, and another program to fill.
class AutoFillDesktop : public EndToEnd {
protected:
    void TearDown() override;

    // Stores the record before the start, several times over, so that a click anywhere among
    // the first rows of the grid chooses it.
    void storeRecord(const QString& account, const QString& password);
    // Config.ini as "保存配置" writes it for paste mode.
    void savePasteMode();
    // Starts the program, logs in and clicks the record.
    XWindowId startAndChooseRecord();
    void chooseRecord(XWindowId main);
    // Whether a record has been chosen (its use counter went up).
    bool recordChosen();
    TargetProgram& startTarget();
    // The same in another environment (one with an input method, say).
    TargetProgram& startTarget(const QProcessEnvironment& environment);
    // Ctrl+Left, then (the field emptied) Ctrl+Right, each checked against what arrives.
    void expectBothFilled(const QString& account, const QString& password);

    // The keyboard layout of the X server (setxkbmap).
    void useLayout(const char* layout);
    // A hotkey as the user presses it ("ctrl+Right"): through the X server.
    void press(const char* keys);
    // The CLIPBOARD (or another selection) as another program (xclip) reads it; empty when no
    // one holds it.
    QString clipboardText(const char* selection = "clipboard");
    // Another program (xclip) copies this text into the CLIPBOARD (or another selection).
    void copyElsewhere(const QString& text, const char* selection = "clipboard");
    bool capsLockOn();
    // Keys held down stay single presses (no autorepeat), so a held hotkey fires once.
    void switchOffAutoRepeat();
    // Runs xdotool with these arguments on the test's X server.
    void xdotool(const std::vector<std::string>& arguments);

    // The message box of the given title, answered with Enter.
    void answerBoxTitled(const QString& title);

private:
    std::unique_ptr<TargetProgram> target_;
};

}  // namespace tessavo::test
