#pragma once

#include <optional>

#include "platform/keyboard/FocusedWindow.h"
#include "tests/support/ScopedFake.h"

namespace tessavo::test {

// The focus as a test sets it: the class of the window that has it, none by default; counts the
// questions.
class RecordingFocusedWindow final : public platform::FocusedWindow {
public:
    std::optional<platform::WindowClass> focusedWindowClass() override {
        ++asked;
        return focused;
    }

    std::optional<platform::WindowClass> focused;
    int asked = 0;
};

// Installs a RecordingFocusedWindow for the lifetime of the object.
class ScopedRecordingFocusedWindow : public ScopedFake<RecordingFocusedWindow, platform::FocusedWindow> {
public:
    ScopedRecordingFocusedWindow() : ScopedFake(&platform::installFocusedWindow) {}
};

}  // namespace tessavo::test
