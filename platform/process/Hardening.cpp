#include "platform/process/Hardening.h"

#include <sys/prctl.h>
#include <sys/resource.h>

#include <cerrno>
#include <cstring>

#include "platform/base/Logging.h"

namespace tessavo::platform {

void hardenProcess() {
#ifdef TESSAVO_HARDEN
    hardenProcessAlways();
#endif
}

void hardenProcessAlways() {
    const rlimit noCore{0, 0};
    if (setrlimit(RLIMIT_CORE, &noCore) != 0)
        qCWarning(lcPlatform, "cannot switch off core dumps: %s", std::strerror(errno));
    if (prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) != 0)
        qCWarning(lcPlatform, "cannot make the process undumpable: %s", std::strerror(errno));
}

}  // namespace tessavo::platform
