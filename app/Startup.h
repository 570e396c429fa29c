#pragma once

class QApplication;

namespace tessavo {

// The application-wide part of start-up: the theme "Sky", the title, the icon and Qt's own
// texts in Chinese; the application ends only when the main window closes, never because its
// last window hid.
void PrepareApplication(QApplication& app);

}  // namespace tessavo
