#include "platform/portal/PortalKeyboard.h"

#include <QCoreApplication>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/base/Error.h"
#include "platform/base/Logging.h"
#include "platform/keyboard/UsKeyboardLayout.h"
#include "platform/wayland/WaylandSeatKeymap.h"

namespace tessavo::platform {

std::unique_ptr<Keyboard> makePortalKeyboard() {
    const QString tokenFile = QCoreApplication::instance()
                                  ? QCoreApplication::applicationDirPath() + QStringLiteral("/RemoteDesktop.token")
                                  : QString();
    return std::make_unique<PortalKeyboard>(QDBusConnection::sessionBus(), PortalKeyboard::seatKeymapOfTheSession,
                                            tokenFile);
}

PortalKeyboard::PortalKeyboard(const QDBusConnection& bus, DesktopKeymap desktopKeymap, QString restoreTokenFile)
    : session_(bus, std::move(restoreTokenFile)), desktopKeymap_(std::move(desktopKeymap)) {
    session_.start();
}

std::optional<WaylandKeymap> PortalKeyboard::seatKeymapOfTheSession() { return seatKeymapOf(nullptr); }

std::u16string PortalKeyboard::charactersItLacks(std::u16string_view characters) {
    const std::optional<WaylandKeymap> keymap = desktopKeymap_();
    if (!keymap) {
        // Nothing to look at (no Wayland display reached): the keys go out unchecked, as before.
        qCWarning(lcPlatform, "the desktop's keyboard layout is unknown: the characters are not checked against it");
        return {};
    }
    std::u16string lacking;
    for (const char16_t ch : characters) {
        const KeySymbol keysym = keysymOfCharacter(ch);
        if (keysym != 0 && keymap->keyFor(keysym) != 0) continue;
        if (lacking.find(ch) == std::u16string::npos) lacking += ch;
    }
    return lacking;
}

PortalKeyboard::~PortalKeyboard() {
    // After the application has quit the session is closed already and nothing is down.
    releaseAll();
}

void PortalKeyboard::keybdEvent(std::uint8_t vk, std::uint8_t /*scan*/, std::uint32_t flags) {
    // The extended-key flag and the scan code have no counterpart: the desktop picks the key.
    if (flags & KeyEventKeyUp) {
        const KeySymbol keysym = down_[vk] ? std::exchange(down_[vk], 0) : keys_.keysymOf(vk);
        if (keysym) session_.notifyKeysym(keysym, false);
        return;
    }
    const KeySymbol keysym = keys_.keysymOf(vk);
    if (!keysym) return;                                     // no such key: nothing is typed
    if (session_.access() != TypingAccess::Granted) return;  // the fill said so before it began
    if (!session_.notifyKeysym(keysym, true)) {
        // The rest of the text must not go out with a key missing; the user is told at once.
        throw Error(std::string("the desktop portal stopped taking keys: the fill was broken off"));
    }
    down_[vk] = keysym;
}

std::uint32_t PortalKeyboard::mapVirtualKey(std::uint8_t vk) { return us::scanCode(vk); }

std::uint16_t PortalKeyboard::vkKeyScan(char16_t ch) { return keys_.codeFor(ch); }

void PortalKeyboard::sleep(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void PortalKeyboard::beginTyping() {
    if (typingDepth_++ == 0) keys_.reset();
}

void PortalKeyboard::endTyping() {
    if (typingDepth_ == 0) return;
    if (--typingDepth_ == 0) releaseAll();
}

bool PortalKeyboard::waitForModifiersReleased(int /*maxMilliseconds*/) {
    // The portal shows no keys the user holds; a desktop shortcut of ours is acted on only after
    // it is let go (see PortalShortcuts).
    return true;
}

void PortalKeyboard::releaseAll() {
    for (KeySymbol& keysym : down_) {
        if (keysym) session_.notifyKeysym(std::exchange(keysym, 0), false);
    }
}

}  // namespace tessavo::platform
