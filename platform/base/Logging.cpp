#include "platform/base/Logging.h"

namespace tessavo {

// QtInfoMsg: debug output stays off unless QT_LOGGING_RULES turns it on.
Q_LOGGING_CATEGORY(lcApp, "tessavo.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcAccess, "tessavo.access", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStore, "tessavo.store", QtInfoMsg)
Q_LOGGING_CATEGORY(lcAutofill, "tessavo.autofill", QtInfoMsg)
Q_LOGGING_CATEGORY(lcMaintenance, "tessavo.maintenance", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPlatform, "tessavo.platform", QtInfoMsg)
Q_LOGGING_CATEGORY(lcX11, "tessavo.platform.x11", QtInfoMsg)

}  // namespace tessavo
