#pragma once

#include <functional>
#include <string>

#include "platform/base/Error.h"

namespace tessavo::test {

// The text of the tessavo::Error that `action` throws, or "(no error)" when it throws none,
// so a test can compare the text the error box would show.
inline std::string errorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "(no error)";
}

}  // namespace tessavo::test
