#pragma once

// The program's diagnostics, one Qt logging category per subsystem. Warnings and above show by
// default; debug lines only when asked for, e.g. QT_LOGGING_RULES="tessavo.*.debug=true".
// No message at any level carries a secret: no password, account name, note, management
// password, cipher text or typed character.
#include <QLoggingCategory>

namespace tessavo {

Q_DECLARE_LOGGING_CATEGORY(lcApp)          // tessavo.app: the main window's handlers
Q_DECLARE_LOGGING_CATEGORY(lcAccess)       // tessavo.access: the login gate
Q_DECLARE_LOGGING_CATEGORY(lcStore)        // tessavo.store: the database file
Q_DECLARE_LOGGING_CATEGORY(lcAutofill)     // tessavo.autofill: hotkeys, fill paths, typing
Q_DECLARE_LOGGING_CATEGORY(lcMaintenance)  // tessavo.maintenance: backups, compaction, clearing
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)     // tessavo.platform: files, processes, desktop, input method
Q_DECLARE_LOGGING_CATEGORY(lcX11)          // tessavo.platform.x11: grabs, XTest, the keymap

}  // namespace tessavo
