#include "cipher/Argon2Key.h"

#include <argon2.h>

#include "platform/base/Wipe.h"

namespace tessavo::cipher {

std::optional<RawKey> deriveArgon2idKey(std::string_view password, std::span<const unsigned char> salt,
                                        const Argon2Parameters& parameters) {
    RawKey key{};
    const int code = argon2id_hash_raw(parameters.passes, parameters.memoryKiB, parameters.lanes, password.data(),
                                       password.size(), salt.data(), salt.size(), key.data(), key.size());
    if (code == ARGON2_OK) return key;
    platform::wipe(key);
    return std::nullopt;
}

}  // namespace tessavo::cipher
