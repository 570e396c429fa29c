#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

struct _XDisplay;

namespace tessavo::test {

// An X window id (Xlib's Window), kept out of the header so that Xlib's macros stay out of tests.
using XWindowId = unsigned long;

// The X server as an end-to-end test sees it: the windows of other programs, their titles,
// states and pictures, and a user's mouse and keyboard (xdotool, through XTest).
class X11Desktop {
public:
    // Throws std::runtime_error when the display cannot be opened.
    explicit X11Desktop(const std::string& display);
    ~X11Desktop();
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    const std::string& displayName() const { return name_; }

    // ---- windows ----
    // Top-level windows (children of the root) with exactly this title, mapped or not, bottom first.
    std::vector<XWindowId> topLevelWindows(const QString& title) const;
    // Viewable top-level windows a window manager would manage (not override-redirect); with a
    // pid, only those of that process (_NET_WM_PID).
    std::vector<XWindowId> shownWindows(std::optional<qint64> pid = std::nullopt) const;
    // Viewable override-redirect top-levels of a process: its open popup menus.
    std::vector<XWindowId> shownPopups(qint64 pid) const;
    // The shown window of exactly this title, if there is one.
    std::optional<XWindowId> shownWindow(const QString& title) const;
    std::optional<XWindowId> waitForShownWindow(const QString& title) const;
    // Waits for a viewable window of exactly this title at any depth below the root: a window
    // manager that frames the windows (mutter) puts each in a frame of its own.
    std::optional<XWindowId> waitForFramedWindow(const QString& title) const;
    // A viewable window of this title anywhere below `ancestor` (an embedded tray icon).
    std::optional<XWindowId> shownDescendant(XWindowId ancestor, const QString& title) const;

    bool isViewable(XWindowId window) const;
    QString title(XWindowId window) const;
    // In root coordinates.
    QRect geometry(XWindowId window) const;
    QSize screenSize() const;
    // Names of the atoms of _NET_WM_STATE and of _NET_WM_WINDOW_TYPE.
    QStringList states(XWindowId window) const;
    QStringList windowTypes(XWindowId window) const;
    // The top-level windows, bottom to top.
    std::vector<XWindowId> stackingOrder() const;
    XWindowId focusedWindow() const;
    // Gives the window the keyboard focus (there is no window manager) and waits until it has it.
    bool focus(XWindowId window);
    // Whether some client holds the selection (for example _NET_SYSTEM_TRAY_S0).
    bool selectionOwned(const char* selection) const;

    // ---- a window of the test's own, above all others ----
    XWindowId openCoveringWindow(const QRect& area);
    void closeWindow(XWindowId window);

    // ---- pictures ----
    QImage grab(XWindowId window) const;

    // ---- a user's input ----
    void click(const QPoint& at, int button = 1);
    void moveMouse(const QPoint& at);
    QPoint pointer() const;
    void type(const QString& text);
    // Key names as xdotool knows them ("Return", "Down"), pressed one after the other.
    void keys(const QStringList& names);

private:
    void xdotool(const QStringList& arguments) const;
    XWindowId root() const;
    std::vector<XWindowId> children(XWindowId window) const;

    std::string name_;
    _XDisplay* display_ = nullptr;
};

}  // namespace tessavo::test
