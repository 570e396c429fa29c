#include "platform/process/Hardening.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace tessavo::platform {

void hardenProcess() {
#ifdef TESSAVO_HARDEN
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
}

}  // namespace tessavo::platform
