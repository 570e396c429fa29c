#include "platform/process/Hardening.h"

#include <sys/prctl.h>
#include <sys/resource.h>

#include <cerrno>
#include <cstring>

#include "platform/base/Logging.h"

namespace tessavo::platform {
namespace {

// How many scopes hold the process readable, and whether the first of them opened it.
int readableScopes = 0;
bool reopened = false;

void setDumpable(bool dumpable) {
    if (prctl(PR_SET_DUMPABLE, dumpable ? 1 : 0, 0, 0, 0) != 0) {
        qCWarning(lcPlatform, "cannot make the process %s: %s", dumpable ? "readable" : "undumpable",
                  std::strerror(errno));
    }
}

}  // namespace

void hardenProcess() {
#ifdef TESSAVO_HARDEN
    hardenProcessAlways();
#endif
}

void hardenProcessAlways() {
    const rlimit noCore{0, 0};
    if (setrlimit(RLIMIT_CORE, &noCore) != 0)
        qCWarning(lcPlatform, "cannot switch off core dumps: %s", std::strerror(errno));
    setDumpable(false);
}

ReadableToTheDesktop::ReadableToTheDesktop() {
    // A process that was never hardened stays as it is, and so does one another scope opened.
    if (readableScopes++ > 0 || prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) != 0) return;
    qCDebug(lcPlatform, "the process is readable to the desktop until its first answer");
    setDumpable(true);
    reopened = true;
}

ReadableToTheDesktop::~ReadableToTheDesktop() {
    if (--readableScopes > 0 || !reopened) return;
    setDumpable(false);
    reopened = false;
}

}  // namespace tessavo::platform
