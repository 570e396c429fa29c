#include "platform/keyboard/InputMethod.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariant>
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/base/Logging.h"
#include "platform/base/ServiceSlot.h"
#include "platform/keyboard/IbusInputMethod.h"
#include "platform/keyboard/Keyboard.h"
#include "platform/portal/SessionBus.h"

namespace tessavo::platform {
namespace {

// fcitx5's controller: State() answers 0 (closed), 1 (inactive) or 2 (active) for the focused
// input context; Activate() and Deactivate() switch it. Only a running fcitx5 is asked: the
// session bus would start an installed one for the call, and it would take over from the input
// method the user runs (IBus exits when fcitx5 takes its address file).
class Fcitx5InputMethod final : public InputMethod {
public:
    std::optional<bool> isActive() override {
        const QDBusMessage reply = call(QStringLiteral("State"));
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            // No fcitx5 running is the usual case: there is nothing to switch.
            qCDebug(lcPlatform) << "no fcitx5 input method to switch:"
                                << (reply.type() == QDBusMessage::InvalidMessage ? QStringLiteral("no session bus")
                                                                                 : reply.errorMessage());
            return std::nullopt;
        }
        const bool active = reply.arguments().constFirst().toInt() == kActive;
        qCDebug(lcPlatform) << "fcitx5 input method active:" << active;
        return active;
    }

    bool setActive(bool active) override {
        const QDBusMessage reply = call(active ? QStringLiteral("Activate") : QStringLiteral("Deactivate"));
        if (reply.type() == QDBusMessage::ReplyMessage) return true;
        qCWarning(lcPlatform) << "fcitx5 refused to switch the input method" << (active ? "on:" : "off:")
                              << reply.errorName() << reply.errorMessage();
        return false;
    }

private:
    static constexpr int kActive = 2;
    // An input method that hangs must not hold up the typing for long.
    static constexpr int kTimeoutMilliseconds = 1000;

    static QDBusMessage call(const QString& method) {
        if (!sessionBusKnown()) return {};
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) return {};
        QDBusMessage message =
            QDBusMessage::createMethodCall(QStringLiteral("org.fcitx.Fcitx5"), QStringLiteral("/controller"),
                                           QStringLiteral("org.fcitx.Fcitx.Controller1"), method);
        message.setAutoStartService(false);
        return bus.call(message, QDBus::Block, kTimeoutMilliseconds);
    }
};

// The desktop's input methods together: each one found composing is switched, and only those
// are switched back.
class DesktopInputMethods final : public InputMethod {
public:
    DesktopInputMethods() {
        methods_.push_back(std::make_unique<Fcitx5InputMethod>());
        methods_.push_back(std::make_unique<IbusInputMethod>([] { return keyboard().activeLayout(); }));
    }

    std::optional<bool> isActive() override {
        composing_.clear();
        bool reached = false;
        for (const auto& method : methods_) {
            const std::optional<bool> active = method->isActive();
            reached = reached || active.has_value();
            if (active.value_or(false)) composing_.push_back(method.get());
        }
        if (!reached) return std::nullopt;
        return !composing_.empty();
    }

    bool setActive(bool active) override {
        if (!active) {
            // One that refuses to go off is not switched on again afterwards.
            std::erase_if(composing_, [](InputMethod* method) { return !method->setActive(false); });
            return !composing_.empty();
        }
        // Those switched off come back on; with none, each is asked to switch on.
        std::vector<InputMethod*> switching = std::exchange(composing_, {});
        if (switching.empty()) {
            for (const auto& method : methods_) switching.push_back(method.get());
        }
        bool any = false;
        for (InputMethod* method : switching) any = method->setActive(true) || any;
        return any;
    }

private:
    std::vector<std::unique_ptr<InputMethod>> methods_;
    std::vector<InputMethod*> composing_;  // found composing by the last isActive()
};

constexpr std::size_t kSettleBase = 600;
constexpr std::size_t kSettlePerKey = 30;
constexpr std::size_t kMostKeys = 200;

ServiceSlot<InputMethod>& slot() {
    static ServiceSlot<InputMethod> instance(
        []() -> std::unique_ptr<InputMethod> { return std::make_unique<DesktopInputMethods>(); });
    return instance;
}

}  // namespace

InputMethod& inputMethod() { return slot().get(); }

std::unique_ptr<InputMethod> installInputMethod(std::unique_ptr<InputMethod> replacement) {
    return slot().install(std::move(replacement));
}

DirectInputScope::DirectInputScope(InputMethod& inputMethod, Keyboard& keyboard, std::size_t keys)
    : inputMethod_(inputMethod), keyboard_(keyboard), keys_(keys) {
    if (inputMethod_.isActive().value_or(false)) reactivate_ = inputMethod_.setActive(false);
}

DirectInputScope::~DirectInputScope() {
    if (!reactivate_) return;
    // The keys reach the input method through the focused program, which takes them in at its
    // own pace, while this call reaches it directly: switched on too soon, it would compose the
    // last of them. No program says when it is done, so the wait grows with the keys.
    keyboard_.sleep(static_cast<int>(kSettleBase + kSettlePerKey * std::min<std::size_t>(keys_, kMostKeys)));
    const bool back = inputMethod_.setActive(true);
    qCDebug(lcPlatform) << "the input method is switched back on:" << back;
}

}  // namespace tessavo::platform
