#include "autofill/PasteKeys.h"

#include <QLatin1StringView>
#include <algorithm>
#include <array>

#include "platform/keyboard/Keyboard.h"

namespace tessavo::autofill {
namespace {

namespace vk = platform::vk;

struct Terminal {
    const char* name;  // the instance or class name of its windows, in any case
    PasteKey key;
};

// The common terminals of Linux desktops by the names their windows carry. xterm and rxvt have
// no clipboard paste key by default, only Shift+Insert from the primary selection; st and the
// others take Ctrl+Shift+V for the clipboard.
constexpr std::array kTerminals = {
    Terminal{"xterm", PasteKey::ShiftInsert},
    Terminal{"uxterm", PasteKey::ShiftInsert},
    Terminal{"urxvt", PasteKey::ShiftInsert},
    Terminal{"rxvt", PasteKey::ShiftInsert},
    Terminal{"rxvt-unicode", PasteKey::ShiftInsert},
    Terminal{"aterm", PasteKey::ShiftInsert},
    Terminal{"gnome-terminal", PasteKey::CtrlShiftV},
    Terminal{"gnome-terminal-server", PasteKey::CtrlShiftV},
    Terminal{"kgx", PasteKey::CtrlShiftV},  // GNOME Console
    Terminal{"xfce4-terminal", PasteKey::CtrlShiftV},
    Terminal{"konsole", PasteKey::CtrlShiftV},
    Terminal{"yakuake", PasteKey::CtrlShiftV},
    Terminal{"terminator", PasteKey::CtrlShiftV},
    Terminal{"tilix", PasteKey::CtrlShiftV},
    Terminal{"guake", PasteKey::CtrlShiftV},
    Terminal{"tilda", PasteKey::CtrlShiftV},
    Terminal{"alacritty", PasteKey::CtrlShiftV},
    Terminal{"kitty", PasteKey::CtrlShiftV},
    Terminal{"foot", PasteKey::CtrlShiftV},
    Terminal{"footclient", PasteKey::CtrlShiftV},
    Terminal{"mate-terminal", PasteKey::CtrlShiftV},
    Terminal{"lxterminal", PasteKey::CtrlShiftV},
    Terminal{"qterminal", PasteKey::CtrlShiftV},
    Terminal{"st", PasteKey::CtrlShiftV},
    Terminal{"st-256color", PasteKey::CtrlShiftV},
    Terminal{"sakura", PasteKey::CtrlShiftV},
    Terminal{"terminology", PasteKey::CtrlShiftV},
    Terminal{"cool-retro-term", PasteKey::CtrlShiftV},
    Terminal{"deepin-terminal", PasteKey::CtrlShiftV},
    Terminal{"org.wezfurlong.wezterm", PasteKey::CtrlShiftV},
};

std::optional<PasteKey> terminalNamed(const QString& name) {
    const auto found = std::find_if(kTerminals.begin(), kTerminals.end(), [&](const Terminal& terminal) {
        return name.compare(QLatin1StringView(terminal.name), Qt::CaseInsensitive) == 0;
    });
    if (found == kTerminals.end()) return std::nullopt;
    return found->key;
}

}  // namespace

PasteKey pasteKeyFor(const std::optional<platform::WindowClass>& window) {
    if (!window) return PasteKey::CtrlV;
    // The class names the program; the instance name a user may have changed (xterm -name), so it
    // only counts where the class names no terminal.
    if (const auto key = terminalNamed(window->className)) return *key;
    return terminalNamed(window->instance).value_or(PasteKey::CtrlV);
}

bool pastesPrimarySelection(PasteKey key) { return key == PasteKey::ShiftInsert; }

PasteChord chordOf(PasteKey key) {
    switch (key) {
        case PasteKey::CtrlShiftV:
            return {{vk::Control, vk::Shift}, vk::KeyV, 0};
        case PasteKey::ShiftInsert:
            return {{vk::Shift}, vk::Insert, platform::KeyEventExtendedKey};
        case PasteKey::CtrlV:
            break;
    }
    return {{vk::Control}, vk::KeyV, 0};
}

}  // namespace tessavo::autofill
