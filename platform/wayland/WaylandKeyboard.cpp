#include "platform/wayland/WaylandKeyboard.h"

#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "platform/base/Error.h"
#include "platform/base/Wipe.h"
#include "platform/wayland/WaylandVirtualKeyboard.h"
#include "platform/wayland/XkbHandles.h"

namespace tessavo::platform {
namespace {

// The modifiers the keys sent so far give under the keymap the compositor has, worked out as
// a real keyboard's own state would: the compositor leaves that to a virtual keyboard.
class ModifierMirror {
public:
    ModifierMirror() : context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
        if (!context_) throw Error(std::string("xkbcommon cannot start"));
    }

    // Follows a new keymap, with the keys that are down held again.
    void load(const std::string& text, const std::vector<KeyNumber>& held) {
        keymap_.reset(xkb_keymap_new_from_string(context_.get(), text.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                                 XKB_KEYMAP_COMPILE_NO_FLAGS));
        if (!keymap_) throw Error(std::string("xkbcommon cannot compile the keymap for typing"));
        reset();
        for (const KeyNumber key : held) update(key, true);
    }

    // No key down, nothing latched or locked.
    void reset() { state_.reset(xkb_state_new(keymap_.get())); }

    ModifierState update(KeyNumber key, bool press) {
        xkb_state_update_key(state_.get(), key, press ? XKB_KEY_DOWN : XKB_KEY_UP);
        return current();
    }

    ModifierState current() const {
        return {xkb_state_serialize_mods(state_.get(), XKB_STATE_MODS_DEPRESSED),
                xkb_state_serialize_mods(state_.get(), XKB_STATE_MODS_LATCHED),
                xkb_state_serialize_mods(state_.get(), XKB_STATE_MODS_LOCKED),
                xkb_state_serialize_layout(state_.get(), XKB_STATE_LAYOUT_EFFECTIVE)};
    }

private:
    XkbContextHandle context_;
    XkbKeymapHandle keymap_;
    XkbStateHandle state_;
};

}  // namespace

struct WaylandKeyboard::Impl final : KeyLayout, KeySink {
    WaylandKeymap keymap;
    std::unique_ptr<VirtualKeyboardOutput> output;
    KeyTranslator translator{*this, *this};
    KeySink* observer = nullptr;
    ModifierMirror mirror;
    std::optional<unsigned> sentKeymap;  // the keymap's change count the compositor has
    ModifierState sentModifiers;
    std::vector<KeyNumber> down;  // keys down at the compositor, in the order they went down

    Impl(WaylandKeymap ownKeymap, std::unique_ptr<VirtualKeyboardOutput> ownOutput)
        : keymap(std::move(ownKeymap)), output(std::move(ownOutput)) {
        sendKeymapIfChanged();
    }

    KeyNumber keyForSymbol(KeySymbol keysym) override { return keymap.keyFor(keysym); }

    PairKey keyForPair(char16_t plain, char16_t shifted) override {
        // The two characters are ASCII, whose keysyms are their codes.
        if (const KeyNumber key = keymap.keyForPair(plain, shifted)) return {key, false};
        const auto stroke = keymap.strokeFor(plain);
        return stroke ? PairKey{stroke->key, true} : PairKey{};
    }

    std::optional<KeyStroke> strokeFor(char16_t ch) override { return keymap.strokeFor(ch); }

    KeyNumber levelThreeKey() override { return keymap.levelThreeKey(); }

    void sendKey(const KeyEvent& event) override {
        if (observer) observer->sendKey(event);
        sendKeymapIfChanged();
        const auto held = std::find(down.begin(), down.end(), event.key);
        if (event.press == (held != down.end())) return;  // already in that state at the compositor
        if (event.press) {
            down.push_back(event.key);
        } else {
            down.erase(held);
        }
        output->key(event.key, event.press);
        sendModifiers(mirror.update(event.key, event.press));
    }

    void sendModifiers(const ModifierState& modifiers) {
        if (modifiers == sentModifiers) return;
        output->modifiers(modifiers);
        sentModifiers = modifiers;
    }

    // The compositor reads every key through the keymap it was sent last: a character lent a
    // spare key since must reach it first.
    void sendKeymapIfChanged() {
        if (sentKeymap == keymap.changes()) return;
        std::string text = keymap.text();  // holds the lent characters: wiped when sent
        mirror.load(text, down);
        output->keymap(text);
        wipe(text);
        // A new keymap starts the compositor's modifiers afresh.
        output->modifiers(mirror.current());
        sentModifiers = mirror.current();
        output->roundTrip();
        sentKeymap = keymap.changes();
    }

    void startBurst() {
        translator.startBurst();
        // The keys lent in the last burst go back only now: X11 programs (through Xwayland) look
        // a changed keymap up when they come to the change, which may be after the last keys;
        // a keymap that only gains keys keeps what they typed.
        keymap.forgetLentKeys();
        // Caps Lock lifted: the keyboard starts each burst with nothing locked.
        mirror.reset();
        for (const KeyNumber key : down) mirror.update(key, true);
        sendModifiers(mirror.current());
    }

    void endBurst() {
        translator.releaseAll();
        while (!down.empty()) sendKey({down.back(), false});
        output->roundTrip();
    }
};

WaylandKeyboard::WaylandKeyboard(WaylandKeymap keymap, std::unique_ptr<VirtualKeyboardOutput> output)
    : impl_(std::make_unique<Impl>(std::move(keymap), std::move(output))) {}

WaylandKeyboard::~WaylandKeyboard() = default;

std::unique_ptr<WaylandKeyboard> WaylandKeyboard::connect(const char* displayName) {
    auto output = std::make_unique<WaylandVirtualKeyboard>(displayName);
    WaylandKeymap keymap = output->seatKeymap() ? std::move(*output->seatKeymap()) : WaylandKeymap::fromNames({});
    return std::make_unique<WaylandKeyboard>(std::move(keymap), std::move(output));
}

KeyTranslator& WaylandKeyboard::translator() { return impl_->translator; }

void WaylandKeyboard::startBurst() { impl_->startBurst(); }

void WaylandKeyboard::endBurst() { impl_->endBurst(); }

void WaylandKeyboard::drainOwnKeyboardMessages() {
    // Our windows get their keys through Qt's own connection; what remains is to hand each
    // event to the compositor before the next.
    impl_->output->flush();
}

bool WaylandKeyboard::waitForModifiersReleased(int /*maxMilliseconds*/) {
    // The compositor gives the focused window the modifiers of the keyboard a key comes from:
    // the user's Ctrl, still held from the shortcut, does not reach the keys typed here.
    return true;
}

void WaylandKeyboard::observeKeys(KeySink* observer) { impl_->observer = observer; }

}  // namespace tessavo::platform
