#pragma once

#include <QString>
#include <deque>
#include <vector>

#include "platform/desktop/Dialogs.h"
#include "tests/support/ScopedFake.h"

namespace tessavo::test {

// Records every box the program shows and answers from a queue. OK boxes answer themselves;
// a Yes/No box or an input query without a queued answer fails the test.
class ScriptedDialogs final : public platform::Dialogs {
public:
    Answer show(const Box& box) override;
    QString inputQuery(const QString& title, const QString& prompt, const QString& defaultText) override;
    void beep() override { ++beeps; }

    void queueAnswer(Answer answer) { answers_.push_back(answer); }
    // An input query answer; std::nullopt-like Cancel is queued with cancelInput().
    void queueInput(const QString& text) { inputs_.push_back({false, text}); }
    void queueCancel() { inputs_.push_back({true, {}}); }

    // Boxes shown since the last take(), oldest first; taking them marks them as expected.
    std::vector<Box> take();
    // Texts of the boxes shown since the last take().
    std::vector<QString> takeTexts();
    bool idle() const { return boxes_.empty() && answers_.empty() && inputs_.empty(); }

    struct Query {
        QString title;
        QString prompt;
        QString defaultText;
    };
    std::vector<Query> queries;
    int beeps = 0;

private:
    struct Input {
        bool cancel;
        QString text;
    };
    std::vector<Box> boxes_;
    std::deque<Answer> answers_;
    std::deque<Input> inputs_;
};

// Installs a ScriptedDialogs for the lifetime of the object and checks at the end that
// every box was expected and every queued answer used.
class ScopedScriptedDialogs : public ScopedFake<ScriptedDialogs, platform::Dialogs> {
public:
    ScopedScriptedDialogs() : ScopedFake(&platform::installDialogs) {}
    ~ScopedScriptedDialogs();
};

}  // namespace tessavo::test
