#include "platform/desktop/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

// Xlib defines macros (Bool, Status) that clash with Qt: it comes after the Qt headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "platform/base/ServiceSlot.h"
#include "platform/x11/X11Display.h"

namespace tessavo::platform {
namespace {

// Gives up the X selections with the server's current time, so the request also takes effect
// when another program became the owner after our last event. It goes on a connection of its
// own to the program's display, since Qt's connection would use the time of its last event.
void clearX11Selections(Display* programDisplay) {
    Display* display = XOpenDisplay(XDisplayString(programDisplay));
    if (!display) return;
    const Atom clipboardAtom = XInternAtom(display, "CLIPBOARD", False);
    XSetSelectionOwner(display, clipboardAtom, None, CurrentTime);
    XSetSelectionOwner(display, XA_PRIMARY, None, CurrentTime);
    XSync(display, False);
    XCloseDisplay(display);
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
        if (Display* display = x11Display()) clearX11Selections(display);
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
