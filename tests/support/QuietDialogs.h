#pragma once

#include <QString>
#include <utility>

#include "platform/desktop/Dialogs.h"

namespace tessavo::test {

// Answers every box at once (OK, or Yes for a question; an input query keeps its default text)
// and remembers the last text, so the handlers run through their messages as after a user's
// quick click. For the programs that drive the windows without a test around them: the
// benchmarks and the fault worker. The tests use ScriptedDialogs, which fails on a box nobody
// expected.
class QuietDialogs : public platform::Dialogs {
public:
    Answer show(const Box& box) override {
        lastText = box.text;
        ++shown;
        return box.buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    QString inputQuery(const QString&, const QString&, const QString& defaultText) override { return defaultText; }
    void beep() override {}

    // The text of the last box, taken: empty when none came since.
    QString take() { return std::exchange(lastText, QString()); }

    QString lastText;
    int shown = 0;
};

}  // namespace tessavo::test
