#pragma once

class QWidget;

namespace tessavo::platform {

// Keeps a window off the taskbar and the pager: the X11 counterpart of a tool window.
// Does nothing where there is no X server.
void HideTaskbarButton(QWidget* window);
// Puts a window back on the taskbar and the pager.
void ShowTaskbarButton(QWidget* window);

// Places a window in the middle of its screen's free area.
void centreOnScreen(QWidget* window);

// Whether the window carries the skip-taskbar state (for checks by tests on X11).
bool IsTaskbarButtonHidden(QWidget* window);

}  // namespace tessavo::platform
