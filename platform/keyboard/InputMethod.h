#pragma once

#include <cstddef>
#include <memory>
#include <optional>

namespace tessavo::platform {

class Keyboard;

// An input method of the desktop (fcitx5, IBus), as far as keystrokes need it: a Chinese input
// method that is active in the focused window would turn typed letters into candidates.
class InputMethod {
public:
    virtual ~InputMethod() = default;
    // Whether it is active (composing) for the focused window; nullopt when there is no input
    // method to ask or it does not answer.
    virtual std::optional<bool> isActive() = 0;
    // Makes it active or inactive (direct input) for the focused window; false when it could
    // not be reached.
    virtual bool setActive(bool active) = 0;
};

// The program's input method: fcitx5's controller on the session bus and IBus on its own bus,
// whichever of them runs, unless a test installed another. Neither is ever started by asking.
InputMethod& inputMethod();
// Replaces the input method (nullptr brings back the real one); returns the previous one.
std::unique_ptr<InputMethod> installInputMethod(std::unique_ptr<InputMethod> replacement);

// Keeps the input method inactive for its lifetime when it was active, and makes it active
// again at the end, once the focused program has had time to take in the keys typed meanwhile;
// an input method that cannot be reached is left alone.
class DirectInputScope {
public:
    // keys: how many keys are about to be typed; the keyboard waits for them at the end.
    DirectInputScope(InputMethod& inputMethod, Keyboard& keyboard, std::size_t keys);
    ~DirectInputScope();
    DirectInputScope(const DirectInputScope&) = delete;
    DirectInputScope& operator=(const DirectInputScope&) = delete;

private:
    InputMethod& inputMethod_;
    Keyboard& keyboard_;
    std::size_t keys_;
    bool reactivate_ = false;
};

}  // namespace tessavo::platform
