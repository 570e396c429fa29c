#include "platform/FreedMemory.h"

#include <malloc.h>

namespace tessavo::platform {

void ReleaseFreedMemory() { malloc_trim(0); }

}  // namespace tessavo::platform
