#include "access/PasswordEntry.h"

#include <QValidator>

#include "access/PasswordFilter.h"

namespace tessavo::access {
namespace {

// Every edit of the entry's text passes here before it is taken: what the filter discards is
// dropped, the rest stays in its order.
class PasswordTextValidator final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override {
        QString kept;
        kept.reserve(input.size());
        int keptBeforeCursor = 0;
        for (qsizetype i = 0; i < input.size(); ++i) {
            QChar character = input.at(i);
            filterPasswordKey(character);
            if (character.isNull()) continue;
            kept.append(character);
            if (i < position) ++keptBeforeCursor;
        }
        input = kept;
        position = keptBeforeCursor;
        return Acceptable;
    }
};

}  // namespace

PasswordEntry::PasswordEntry(QWidget* parent) : QLineEdit(parent) {
    setValidator(new PasswordTextValidator(this));
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(inputMethodHints() | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText | Qt::ImhLatinOnly);
}

// Asked by the platform's input method each time the entry gets the focus; a changed echo
// mode turns the widget attribute back on, this answer stays.
QVariant PasswordEntry::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImEnabled) return false;
    return QLineEdit::inputMethodQuery(query);
}

}  // namespace tessavo::access
