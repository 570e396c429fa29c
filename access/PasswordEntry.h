#pragma once

#include <QLineEdit>

namespace tessavo::access {

// An entry that takes only what the password typing filter lets through, whatever way the
// text comes in. Typed keys reach the form's key-press handler as before; pasted text (menu,
// middle button), dropped text and an input method's commit are filtered the same way, one
// character at a time with a beep for each one discarded. The input method stays off, so a
// character no key types can not arrive unnoticed.
class PasswordEntry : public QLineEdit {
    Q_OBJECT

public:
    explicit PasswordEntry(QWidget* parent = nullptr);

    using QLineEdit::inputMethodQuery;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
};

}  // namespace tessavo::access
