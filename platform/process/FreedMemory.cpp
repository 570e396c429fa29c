#include "platform/process/FreedMemory.h"

#include <malloc.h>

namespace tessavo::platform {

void releaseFreedMemory() { malloc_trim(0); }

}  // namespace tessavo::platform
