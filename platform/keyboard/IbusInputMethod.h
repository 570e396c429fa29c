#pragma once

#include <QString>
#include <functional>

#include "platform/keyboard/InputMethod.h"
#include "platform/keyboard/KeyboardLayout.h"

namespace tessavo::platform {

// IBus, as far as keystrokes need it. IBus has no direct input per window, only one engine for
// the whole desktop: "active" here means that engine composes (Pinyin, say), and switching it
// off sets the xkb engine of the active keyboard layout, which types the keys as they come. The
// engine found is set again when it is switched back on. The switch discards a composition in
// progress, and an engine comes back in its starting mode (libpinyin in Chinese mode).
//
// IBus is asked on its own bus, whose address is IBUS_ADDRESS or the file ibus-daemon leaves
// in ~/.config/ibus/bus/; never on the session bus, where asking could start it.
class IbusInputMethod final : public InputMethod {
public:
    // activeLayout: the keyboard layout the keys are typed on, read when the engine is switched.
    explicit IbusInputMethod(std::function<KeyboardLayout()> activeLayout);

    std::optional<bool> isActive() override;
    bool setActive(bool active) override;

private:
    std::function<KeyboardLayout()> activeLayout_;
    QString composingEngine_;  // the engine switched off, set again on switching back
};

}  // namespace tessavo::platform
