#include "autofill/Hotkeys.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QRadioButton>
#include <QStringList>
#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "autofill/PasteKeys.h"
#include "autofill/Unit_SendKey.h"
#include "platform/base/Error.h"
#include "platform/base/Logging.h"
#include "platform/base/Wipe.h"
#include "platform/desktop/Clipboard.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Guard.h"
#include "platform/desktop/SessionKind.h"
#include "platform/keyboard/DesktopShortcuts.h"
#include "platform/keyboard/FocusedWindow.h"
#include "platform/keyboard/GlobalAtoms.h"
#include "platform/keyboard/GlobalHotkeys.h"
#include "platform/keyboard/InputMethod.h"
#include "platform/keyboard/Keyboard.h"

namespace tessavo::autofill {
namespace {

constexpr std::size_t kHotkeyCount = kAutoFillHotkeys.size();

// Per hotkey, in table order: its identifier (0 until the first successful login and again
// after the release), and whether a refused grab of it was told of already.
std::array<int, kHotkeyCount> hotkeyIds{};
std::array<bool, kHotkeyCount> refusalTold{};
// What the last registration's hotkeys fill; a fill command reaches the same fields.
AutoFillTargets registeredTargets;

// Where a fill request came from. A hotkey press reaches us only while an X11 window has the
// focus (a Wayland compositor passes the grabbed key to Xwayland only then), so our X11 keys
// reach that window; a command may come while any window has it.
enum class FillOrigin { HotkeyPress, Command };

// How long a user may still hold the hotkey's Ctrl before the keys go out all the same.
constexpr int kModifierReleaseWait = 2000;

QString chooseRecordFirst() { return QStringLiteral("请先选择一组帐号,才能自动输入账户密码.!"); }

// What keeps a fill from typing into the focused window, and whether starting the program again
// would ask the desktop again.
struct MissingKeyboard {
    QString what;
    bool askAgainOnStart = false;
};

// Whether the keyboard may type. A keyboard that cannot be made at all (an X server without
// XTest) fails where the keys go out, after the copy in paste mode, as it always did.
platform::TypingAccess accessOfTheKeyboard() {
    try {
        return platform::keyboard().typingAccess();
    } catch (const Error&) {
        return platform::TypingAccess::Granted;
    }
}

// Nothing when keys can go out. A press of our own hotkey reaches us only while an X11 window has
// the focus, which our X11 keys reach; the keyboard's permission counts for every fill.
std::optional<MissingKeyboard> missingKeyboard(FillOrigin origin) {
    const platform::FillPath path = platform::chosenFillPath();
    if (!platform::canType(path)) {
        if (origin == FillOrigin::HotkeyPress) return std::nullopt;
        return MissingKeyboard{
            QStringLiteral("无法自动输入：当前是 Wayland 会话，没有可用的 Wayland 键盘接口"
                           "（虚拟键盘协议），按键送不到当前窗口。")};
    }
    switch (accessOfTheKeyboard()) {
        case platform::TypingAccess::Granted:
            return std::nullopt;
        case platform::TypingAccess::Asking:
            return MissingKeyboard{
                QStringLiteral("无法自动输入：桌面还在询问是否允许本程序控制键盘（远程桌面门户），"
                               "请先在桌面弹出的对话框中允许，再自动输入。")};
        case platform::TypingAccess::Refused:
            return MissingKeyboard{
                QStringLiteral("无法自动输入：桌面没有允许本程序控制键盘（远程桌面门户的请求被拒绝），"
                               "按键送不到当前窗口。"),
                true};
        case platform::TypingAccess::Ended:
            return MissingKeyboard{
                QStringLiteral("无法自动输入：桌面已收回本程序控制键盘的权限（远程桌面门户的会话已结束），"
                               "按键送不到当前窗口。"),
                true};
    }
    return std::nullopt;
}

QString nothingCanType(const MissingKeyboard& missing, bool pasting, const QLineEdit* field,
                       const AutoFillTargets& targets) {
    const QString askAgain =
        missing.askAgainOnStart ? QStringLiteral("或退出后重新启动本程序，在桌面询问时允许它控制键盘；") : QString();
    const QString otherSession = askAgain + QStringLiteral("或注销后登录 X11 会话。");
    if (!pasting) {
        return missing.what + QStringLiteral("请在“软件设置”中改用“帐号密码粘贴式”，再在目标窗口中按 Ctrl+V 粘贴；") +
               otherSession;
    }
    return missing.what +
           QStringLiteral("%1已复制到剪贴板，请在目标窗口中按 Ctrl+V 粘贴；")
               .arg(field == targets.account ? QStringLiteral("帐号") : QStringLiteral("密码")) +
           otherSession;
}

// With no way to type, paste mode still copies (the copy arms the clipboard wipe) and the user pastes.
void tellNothingCanType(const MissingKeyboard& missing, QAbstractButton* copyButton, const QLineEdit* field,
                        const AutoFillTargets& targets) {
    qCDebug(lcAutofill, "nothing can type on the fill path %s: the fill is told, not sent",
            platform::fillPathName(platform::chosenFillPath()));
    const bool pasting = targets.pasteMode->isChecked();
    if (pasting) platform::trigger(copyButton);
    platform::inform(nothingCanType(missing, pasting, field, targets));
}

// A hotkey another program holds is told of once, at the first login that cannot take it; a key
// taken again is told of again when it is lost again. A key refused for want of a key on the
// keyboard (Xwayland's keymap before a keyboard with it came) is no other program's doing: it is
// only logged.
void tellOfRefusedHotkeys(const std::array<platform::HotkeyRegistration, kHotkeyCount>& registrations) {
    QStringList names;
    for (std::size_t i = 0; i < kHotkeyCount; ++i) {
        const bool held = registrations[i] == platform::HotkeyRegistration::HeldElsewhere;
        if (held && !refusalTold[i]) names << QString::fromUtf8(kAutoFillHotkeys[i].shownName);
        refusalTold[i] = held;
    }
    if (names.isEmpty()) return;
    platform::inform(QStringLiteral("热键 %1 已被其他程序占用，无法注册，按下时不会自动输入。"
                                    "请关闭占用的程序，然后重新登录。")
                         .arg(names.join(QStringLiteral("、"))));
}

const char* refusalReason(platform::HotkeyRegistration registration) {
    switch (registration) {
        case platform::HotkeyRegistration::HeldElsewhere:
            return "another program holds it";
        case platform::HotkeyRegistration::NoSuchKey:
            return "the keyboard has no key for it";
        case platform::HotkeyRegistration::NoHotkeys:
            return "no system-wide hotkeys here";
        case platform::HotkeyRegistration::Registered:
            break;
    }
    return "registered";
}

std::vector<platform::DesktopShortcuts::Shortcut> desktopShortcutsOfTable() {
    std::vector<platform::DesktopShortcuts::Shortcut> shortcuts;
    for (const AutoFillHotkey& hotkey : kAutoFillHotkeys) {
        shortcuts.push_back({QString::fromLatin1(hotkey.shortcutId), QString::fromUtf8(hotkey.shownName),
                             QString::fromLatin1(hotkey.shortcutTrigger)});
    }
    return shortcuts;
}

void sendKey(platform::Keyboard& keyboard, std::uint8_t code, std::uint32_t flags) {
    keyboard.keybdEvent(code, static_cast<std::uint8_t>(keyboard.mapVirtualKey(code) & 0xFF), flags);
}

// The keys about to be sent must reach the focused window alone: not come back to us through
// the hotkey's keyboard grab, and not combine with the Ctrl the user may still hold.
void letGoOfTheHotkey() {
    platform::globalHotkeys().endHotkeyGrab();
    platform::keyboard().waitForModifiersReleased(kModifierReleaseWait);
}

// The paste key (Ctrl+V, or a terminal's own) with its key held for 300 ms; nothing runs between
// the steps.
void pasteKeys(PasteKey pasteKey) {
    const PasteChord chord = chordOf(pasteKey);
    platform::Keyboard& keyboard = platform::keyboard();
    const platform::TypingScope burst(keyboard);
    for (const std::uint8_t modifier : chord.modifiers) sendKey(keyboard, modifier, 0);
    sendKey(keyboard, chord.key, chord.flags);
    keyboard.sleep(300);
    sendKey(keyboard, chord.key, chord.flags | platform::KeyEventKeyUp);
    for (auto modifier = chord.modifiers.rbegin(); modifier != chord.modifiers.rend(); ++modifier)
        sendKey(keyboard, *modifier, platform::KeyEventKeyUp);
}

// The key of the program that has the focus; one that pastes the primary selection finds the
// field there too (the clipboard wipe empties both).
PasteKey preparePaste(const QLineEdit* field) {
    const PasteKey pasteKey = pasteKeyFor(platform::focusedWindow().focusedWindowClass());
    if (pastesPrimarySelection(pasteKey)) platform::clipboard().setPrimaryText(field->text(), true);
    return pasteKey;
}

void pasteThroughTheClipboard(QAbstractButton* copyButton, const QLineEdit* field) {
    platform::trigger(copyButton);  // copies the field and arms the clipboard wipe
    const PasteKey pasteKey = preparePaste(field);
    platform::keyboard().sleep(800);
    letGoOfTheHotkey();
    pasteKeys(pasteKey);
}

// The characters of the text, read as the key language, that the keyboard cannot type.
std::u16string charactersTheKeyboardLacks(const QString& text) {
    std::u16string typed = CharactersTyped(text);
    std::u16string lacking = platform::keyboard().charactersItLacks(typed);
    platform::wipe(typed);
    return lacking;
}

// A text in which the key language sees nothing but characters types what a paste gives.
bool typesAsWritten(const QString& text) {
    return std::none_of(text.begin(), text.end(), [](QChar c) { return QStringLiteral("+^%()~{}").contains(c); });
}

QString lacksCharacters(const std::u16string& lacking) {
    QString shown = QString::fromStdU16String(lacking);
    QString message = QStringLiteral(
                          "无法自动输入：桌面的键盘布局中没有字符“%1”，按键打不出它；为免只输入一部分，"
                          "什么也没有输入。请在“软件设置”中改用“帐号密码粘贴式”，再自动输入。")
                          .arg(shown);
    platform::wipe(shown);
    return message;
}

void fill(QAbstractButton* copyButton, const QLineEdit* field, const AutoFillTargets& targets) {
    // Which field and which path, never what the field holds.
    qCDebug(lcAutofill, "filling the %s by %s", field == targets.account ? "account name" : "password",
            targets.pasteMode->isChecked()       ? "paste"
            : targets.keystrokeMode->isChecked() ? "keystrokes"
                                                 : "nothing");
    if (targets.pasteMode->isChecked()) pasteThroughTheClipboard(copyButton, field);
    if (targets.keystrokeMode->isChecked()) {
        platform::keyboard().sleep(300);
        const QString text = field->text();
        // A text with a character the desktop's layout lacks would arrive without it: not one key
        // of it goes out. Pasted it arrives whole, where the key language adds nothing to it.
        std::u16string lacking = charactersTheKeyboardLacks(text);
        if (!lacking.empty()) {
            const bool paste = typesAsWritten(text);
            qCDebug(lcAutofill, "the desktop's layout lacks characters of the text: %s",
                    paste ? "pasted instead" : "nothing is typed");
            if (paste) {
                pasteThroughTheClipboard(copyButton, field);
            } else {
                platform::inform(lacksCharacters(lacking));
            }
            platform::wipe(lacking);
            return;
        }
        letGoOfTheHotkey();
        // A Chinese input method would turn the letters into candidates: direct input for the burst.
        const platform::DirectInputScope directInput(platform::inputMethod(), platform::keyboard(),
                                                     static_cast<std::size_t>(text.size()));
        SendKeyString(text, true);  // the text is read as the key language
    }
}

void fillFor(int id, const AutoFillTargets& targets, FillOrigin origin) {
    // A record without a password cannot have its account name filled either.
    if (targets.account->text().isEmpty() || targets.password->text().isEmpty()) {
        platform::inform(chooseRecordFirst());
        return;
    }
    for (std::size_t i = 0; i < kHotkeyCount; ++i) {
        const AutoFillHotkey& hotkey = kAutoFillHotkeys[i];
        if (id != hotkeyIds[i]) continue;
        if (const auto missing = missingKeyboard(origin)) {
            tellNothingCanType(*missing, targets.*hotkey.copyButton, targets.*hotkey.field, targets);
        } else {
            fill(targets.*hotkey.copyButton, targets.*hotkey.field, targets);
        }
    }
}

}  // namespace

int HotkeyAccountId() { return hotkeyIds[0]; }
int HotkeyPasswordId() { return hotkeyIds[1]; }

void RegisterAutoFillHotkeys(const AutoFillTargets& targets) {
    registeredTargets = targets;
    for (std::size_t i = 0; i < kHotkeyCount; ++i)
        hotkeyIds[i] = platform::GlobalAddAtom(QString::fromLatin1(kAutoFillHotkeys[i].atomName));
    // A press arrives from the event loop like any other event: its errors get the error box.
    const auto receiver = [targets](int id) { platform::runGuarded([&] { HotkeyMessage(id, targets); }); };
    platform::GlobalHotkeys& hotkeys = platform::globalHotkeys();
    std::array<platform::HotkeyRegistration, kHotkeyCount> registrations{};
    for (std::size_t i = 0; i < kHotkeyCount; ++i) {
        registrations[i] =
            hotkeys.registerHotKey(hotkeyIds[i], platform::ModControl, kAutoFillHotkeys[i].key, receiver);
        if (registrations[i] != platform::HotkeyRegistration::Registered) {
            qCWarning(lcAutofill, "the hotkey %s was refused (%s): it fills nothing until a later login takes it",
                      kAutoFillHotkeys[i].shownName, refusalReason(registrations[i]));
        }
    }
    if (hotkeys.available()) tellOfRefusedHotkeys(registrations);
    platform::desktopShortcuts().bind(desktopShortcutsOfTable(),
                                      [](std::size_t row) { platform::runGuarded([row] { FillAsIfPressed(row); }); });
}

void HotkeyMessage(int id, const AutoFillTargets& targets) { fillFor(id, targets, FillOrigin::HotkeyPress); }

void FillAsIfPressed(std::size_t row) {
    // Before the first login the hotkeys are not registered and a press does nothing; so does this.
    if (row >= kHotkeyCount || hotkeyIds[row] == 0) {
        qCDebug(lcAutofill, "a fill command before any login: nothing to fill");
        return;
    }
    qCDebug(lcAutofill, "a fill command does what %s does", kAutoFillHotkeys[row].shownName);
    fillFor(hotkeyIds[row], registeredTargets, FillOrigin::Command);
}

void ReleaseAutoFillHotkeys() {
    // Nothing to drop when no login ever succeeded or the hotkeys were released already.
    if (std::all_of(hotkeyIds.begin(), hotkeyIds.end(), [](int id) { return id == 0; })) return;
    platform::GlobalHotkeys& hotkeys = platform::globalHotkeys();
    for (const int id : hotkeyIds) hotkeys.unregisterHotKey(id);
    for (const int id : hotkeyIds) platform::GlobalDeleteAtom(static_cast<std::uint16_t>(id));
    hotkeyIds.fill(0);
    refusalTold.fill(false);
    registeredTargets = {};
}

}  // namespace tessavo::autofill
