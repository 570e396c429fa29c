#pragma once

#include <QString>
#include <memory>

namespace tessavo::platform {

// Every modal box the program shows goes through this service, so tests can answer them.
class Dialogs {
public:
    enum class Icon { None, Information, Warning, Error };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    struct Box {
        QString title;
        QString text;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        bool topmost = false;
    };

    virtual ~Dialogs() = default;
    virtual Answer show(const Box& box) = 0;
    // An input query: OK returns the field's text, Cancel returns the default text.
    virtual QString inputQuery(const QString& title, const QString& prompt, const QString& defaultText) = 0;
    // The same with the entry masked, for a password; empty on Cancel. Services that answer by
    // script take it as an input query.
    virtual QString passwordQuery(const QString& title, const QString& prompt) {
        return inputQuery(title, prompt, QString());
    }
    virtual void beep() = 0;
};

Dialogs& dialogs();
// Replaces the service (tests install a scripted one); returns the previous one.
std::unique_ptr<Dialogs> installDialogs(std::unique_ptr<Dialogs> replacement);

// The program's plain message: application title, one OK button, no icon.
void inform(const QString& text);
// The Yes/No warning box titled "警告", kept above all windows; true for Yes.
bool confirmWarning(const QString& text);
// The standard error box: error icon, the error's own text, the application title.
void showError(const QString& text);

}  // namespace tessavo::platform
