#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <string>

namespace tessavo::test {

// Takes the warnings of the program's logging categories ("tessavo.…") for its lifetime, each as
// "category: text", instead of printing them; every other message goes on as before. Asked for
// every level, it switches those categories' debug and info messages on for its lifetime and
// takes them too. One at a time.
class CapturedMessages {
public:
    enum class Levels { Warnings, Every };

    explicit CapturedMessages(Levels levels = Levels::Warnings)
        : levels_(levels), previous_(qInstallMessageHandler(&collect)) {
        current() = this;
        if (levels_ == Levels::Every) previousFilter() = QLoggingCategory::installFilter(&everyLevel);
    }
    ~CapturedMessages() {
        if (levels_ == Levels::Every) QLoggingCategory::installFilter(previousFilter());
        current() = nullptr;
        qInstallMessageHandler(previous_);
    }
    CapturedMessages(const CapturedMessages&) = delete;
    CapturedMessages& operator=(const CapturedMessages&) = delete;

    // What was taken: the warnings, or with Levels::Every the messages of every level.
    const QStringList& warnings() const { return warnings_; }
    // All of them, one a line, for a failure message.
    std::string text() const { return warnings_.join(u'\n').toStdString(); }

private:
    static CapturedMessages*& current() {
        static CapturedMessages* instance = nullptr;
        return instance;
    }

    static QLoggingCategory::CategoryFilter& previousFilter() {
        static QLoggingCategory::CategoryFilter filter = nullptr;
        return filter;
    }

    static void everyLevel(QLoggingCategory* category) {
        if (previousFilter()) previousFilter()(category);
        if (!QByteArray(category->categoryName()).startsWith("tessavo.")) return;
        category->setEnabled(QtDebugMsg, true);
        category->setEnabled(QtInfoMsg, true);
    }

    static void collect(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        CapturedMessages* self = current();
        const bool taken = type == QtWarningMsg || (self && self->levels_ == Levels::Every);
        if (self && taken && QByteArray(context.category).startsWith("tessavo.")) {
            self->warnings_ << QString::fromLatin1(context.category) + QStringLiteral(": ") + message;
            return;
        }
        if (self && self->previous_) self->previous_(type, context, message);
    }

    Levels levels_;
    QtMessageHandler previous_;
    QStringList warnings_;
};

}  // namespace tessavo::test
