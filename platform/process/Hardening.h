#pragma once

namespace tessavo::platform {

// Keeps decrypted secrets out of core files and away from other processes of the same user:
// no core dumps and no ptrace attach.
void hardenProcess();

}  // namespace tessavo::platform
