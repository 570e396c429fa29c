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

void setQtText(const QString& text, bool secret, QClipboard::Mode mode) {
    auto data = std::make_unique<QMimeData>();
    data->setText(text);
    if (secret) data->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
    QGuiApplication::clipboard()->setMimeData(data.release(), mode);
}

// The program's windows are on X11 (Xwayland in a Wayland session), whose programs read the
// primary selection from there.
void setX11PrimaryText(const QString& text, bool secret) {
    if (QGuiApplication::clipboard()->supportsSelection()) setQtText(text, secret, QClipboard::Selection);
}

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

    void setText(const QString& text, bool secret) override { setQtText(text, secret, QClipboard::Clipboard); }
    void setPrimaryText(const QString& text, bool secret) override { setX11PrimaryText(text, secret); }

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
    // Only an X11 window is told to paste from the primary selection (the focus of a native one
    // is unknown), and Xwayland's programs read it from the X server.
    void setPrimaryText(const QString& text, bool secret) override { setX11PrimaryText(text, secret); }
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
