#pragma once

class QCoreApplication;
class QTranslator;

namespace tessavo::platform {

// Qt's own texts (the buttons of message boxes and the input dialog, the edit fields' menus)
// in Chinese, like every other text of the program, whatever the system's language: loads
// Qt's simplified Chinese catalogue from Qt's translations folder and installs it. Returns the
// installed translator, owned by the application, or nullptr when the catalogue is missing
// (Qt's English texts then stay).
QTranslator* installQtChineseTexts(QCoreApplication& application);

}  // namespace tessavo::platform
