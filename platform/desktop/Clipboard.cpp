#include "platform/desktop/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/base/Error.h"
#include "platform/base/ServiceSlot.h"
#include "platform/desktop/SessionKind.h"
#include "platform/wayland/WaylandClipboard.h"
#include "platform/x11/X11Display.h"

namespace tessavo::platform {
namespace {

class SystemClipboard final : public Clipboard {
public:
    // X11 has no clipboard lock to take: opening always succeeds.
    bool open() override { return true; }
    void close() override {}

    void empty() override {
        QClipboard* system = QGuiApplication::clipboard();
        system->clear(QClipboard::Clipboard);
        if (system->supportsSelection()) system->clear(QClipboard::Selection);
        clearX11Selections();
    }

    void setText(const QString& text, bool secret) override {
        auto data = std::make_unique<QMimeData>();
        data->setText(text);
        if (secret) data->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
        QGuiApplication::clipboard()->setMimeData(data.release(), QClipboard::Clipboard);
    }

    QString lastError() const override { return {}; }
};

// In a Wayland session the copy goes to the compositor's clipboard, which every program pastes
// from; the X selections of Xwayland's programs are emptied as well.
class WaylandSessionClipboard final : public Clipboard {
public:
    bool open() override { return true; }
    void close() override {}
    void empty() override {
        wayland_.empty();
        clearX11Selections();
    }
    void setText(const QString& text, bool secret) override { wayland_.setText(text, secret); }
    QString lastError() const override { return {}; }

private:
    WaylandClipboard wayland_{nullptr};
};

std::unique_ptr<Clipboard> systemClipboard() {
    if (chosenFillPath() == FillPath::WaylandWlroots) {
        try {
            return std::make_unique<WaylandSessionClipboard>();
        } catch (const Error&) {
            // warned: without data control the copy goes where Qt puts it
        }
    }
    return std::make_unique<SystemClipboard>();
}

ServiceSlot<Clipboard>& slot() {
    static ServiceSlot<Clipboard> instance(systemClipboard);
    return instance;
}

}  // namespace

Clipboard& clipboard() { return slot().get(); }

std::unique_ptr<Clipboard> installClipboard(std::unique_ptr<Clipboard> replacement) {
    return slot().install(std::move(replacement));
}

}  // namespace tessavo::platform
