#include "platform/desktop/Dialogs.h"

#include <QApplication>
#include <QFile>
#include <QInputDialog>
#include <QMessageBox>

#include "platform/base/AppInfo.h"
#include "platform/base/ServiceSlot.h"

namespace tessavo::platform {
namespace {

QMessageBox::Icon toQt(Dialogs::Icon icon) {
    switch (icon) {
        case Dialogs::Icon::Information:
            return QMessageBox::Information;
        case Dialogs::Icon::Warning:
            return QMessageBox::Warning;
        case Dialogs::Icon::Error:
            return QMessageBox::Critical;
        case Dialogs::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// The end-to-end tests' window into the boxes: when TESSAVO_DIALOG_LOG names a file, each box
// appends "title<TAB>text" and a line break to it (UTF-8) before it is shown.
void logBox(const Dialogs::Box& box) {
    const QString path = qEnvironmentVariable("TESSAVO_DIALOG_LOG");
    if (path.isEmpty()) return;
    QFile log(path);
    if (log.open(QIODevice::WriteOnly | QIODevice::Append)) log.write((box.title + u'\t' + box.text + u'\n').toUtf8());
}

class QtDialogs final : public Dialogs {
public:
    Answer show(const Box& box) override {
        logBox(box);
        QMessageBox message(toQt(box.icon), box.title, box.text);
        if (box.buttons == Buttons::YesNo) {
            message.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        } else {
            message.setStandardButtons(QMessageBox::Ok);
        }
        if (box.topmost) message.setWindowFlag(Qt::WindowStaysOnTopHint);
        const int result = message.exec();
        if (box.buttons == Buttons::Ok) return Answer::Ok;
        return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }

    QString inputQuery(const QString& title, const QString& prompt, const QString& defaultText) override {
        bool ok = false;
        const QString text = QInputDialog::getText(nullptr, title, prompt, QLineEdit::Normal, defaultText, &ok);
        return ok ? text : defaultText;
    }

    QString passwordQuery(const QString& title, const QString& prompt) override {
        bool ok = false;
        const QString text = QInputDialog::getText(nullptr, title, prompt, QLineEdit::Password, QString(), &ok);
        return ok ? text : QString();
    }

    void beep() override { QApplication::beep(); }
};

ServiceSlot<Dialogs>& slot() {
    static ServiceSlot<Dialogs> instance([]() -> std::unique_ptr<Dialogs> { return std::make_unique<QtDialogs>(); });
    return instance;
}

}  // namespace

Dialogs& dialogs() { return slot().get(); }

std::unique_ptr<Dialogs> installDialogs(std::unique_ptr<Dialogs> replacement) {
    return slot().install(std::move(replacement));
}

void inform(const QString& text) { dialogs().show({applicationTitle(), text}); }

bool confirmWarning(const QString& text) {
    const Dialogs::Box box{warningTitle(), text, Dialogs::Icon::Warning, Dialogs::Buttons::YesNo, true};
    return dialogs().show(box) == Dialogs::Answer::Yes;
}

void showError(const QString& text) {
    dialogs().show({applicationTitle(), text, Dialogs::Icon::Error, Dialogs::Buttons::Ok});
}

}  // namespace tessavo::platform
