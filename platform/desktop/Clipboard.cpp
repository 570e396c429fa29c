#include "platform/desktop/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/base/ServiceSlot.h"
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

ServiceSlot<Clipboard>& slot() {
    static ServiceSlot<Clipboard> instance(
        []() -> std::unique_ptr<Clipboard> { return std::make_unique<SystemClipboard>(); });
    return instance;
}

}  // namespace

Clipboard& clipboard() { return slot().get(); }

std::unique_ptr<Clipboard> installClipboard(std::unique_ptr<Clipboard> replacement) {
    return slot().install(std::move(replacement));
}

}  // namespace tessavo::platform
