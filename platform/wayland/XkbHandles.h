#pragma once

#include <xkbcommon/xkbcommon.h>

#include <memory>

namespace tessavo::platform {

// Owned xkbcommon objects, released with the handle.
struct UnrefXkbContext {
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
};
struct UnrefXkbKeymap {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};
struct UnrefXkbState {
    void operator()(xkb_state* state) const { xkb_state_unref(state); }
};
using XkbContextHandle = std::unique_ptr<xkb_context, UnrefXkbContext>;
using XkbKeymapHandle = std::unique_ptr<xkb_keymap, UnrefXkbKeymap>;
using XkbStateHandle = std::unique_ptr<xkb_state, UnrefXkbState>;

}  // namespace tessavo::platform
