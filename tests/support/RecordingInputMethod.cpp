#include "tests/support/RecordingInputMethod.h"

namespace tessavo::test {

std::optional<bool> RecordingInputMethod::isActive() { return active; }

bool RecordingInputMethod::setActive(bool on) {
    if (!active) return false;  // nothing to reach
    active = on;
    const std::string name = on ? "active" : "inactive";
    switches.push_back(name);
    if (timeline) timeline->push_back("im " + name);
    return true;
}

}  // namespace tessavo::test
