#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/keyboard/InputMethod.h"
#include "tests/support/ScopedFake.h"

namespace tessavo::test {

// An input method that only records: its state is a field the test sets.
class RecordingInputMethod final : public platform::InputMethod {
public:
    std::optional<bool> isActive() override;
    bool setActive(bool on) override;

    // Whether it is active; nullopt stands for an input method that cannot be reached.
    std::optional<bool> active;
    // Every switch in order: "inactive", "active".
    std::vector<std::string> switches;
    // When set, each switch is also written here as "im inactive" / "im active" (the recording
    // keyboard's timeline, so the order against the key events shows).
    std::vector<std::string>* timeline = nullptr;
};

// Installs a RecordingInputMethod for the lifetime of the object.
class ScopedRecordingInputMethod : public ScopedFake<RecordingInputMethod, platform::InputMethod> {
public:
    ScopedRecordingInputMethod() : ScopedFake(&platform::installInputMethod) {}
};

}  // namespace tessavo::test
