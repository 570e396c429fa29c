#pragma once

namespace tessavo::platform {

// Keeps decrypted secrets out of core files and away from other processes of the same user:
// no core dumps and no ptrace attach. The program does so in Release builds.
void hardenProcess();

// The same in every build, for a process that never needs another to inspect it (the
// command-line tool, which holds the whole file's passwords in the clear during an export).
void hardenProcessAlways();

}  // namespace tessavo::platform
