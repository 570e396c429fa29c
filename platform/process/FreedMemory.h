#pragma once

namespace tessavo::platform {

// Hands memory that the program has freed back to the system where the allocator keeps it
// (free pages in the middle of the heap, left for instance by a large sort of the database
// engine), so that the resident size follows what is really in use.
void releaseFreedMemory();

}  // namespace tessavo::platform
