#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <string>

namespace tessavo::test {

// Takes the warnings of the program's logging categories ("tessavo.…") for its lifetime, each as
// "category: text", instead of printing them; every other message goes on as before. One at a
// time.
class CapturedMessages {
public:
    CapturedMessages() : previous_(qInstallMessageHandler(&collect)) { current() = this; }
    ~CapturedMessages() {
        current() = nullptr;
        qInstallMessageHandler(previous_);
    }
    CapturedMessages(const CapturedMessages&) = delete;
    CapturedMessages& operator=(const CapturedMessages&) = delete;

    const QStringList& warnings() const { return warnings_; }
    // All of them, one a line, for a failure message.
    std::string text() const { return warnings_.join(u'\n').toStdString(); }

private:
    static CapturedMessages*& current() {
        static CapturedMessages* instance = nullptr;
        return instance;
    }

    static void collect(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        CapturedMessages* self = current();
        if (self && type == QtWarningMsg && QByteArray(context.category).startsWith("tessavo.")) {
            self->warnings_ << QString::fromLatin1(context.category) + QStringLiteral(": ") + message;
            return;
        }
        if (self && self->previous_) self->previous_(type, context, message);
    }

    QtMessageHandler previous_;
    QStringList warnings_;
};

}  // namespace tessavo::test
