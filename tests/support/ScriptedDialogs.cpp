#include "tests/support/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace tessavo::test {

platform::Dialogs::Answer ScriptedDialogs::show(const Box& box) {
    boxes_.push_back(box);
    if (box.buttons == Buttons::Ok) return Answer::Ok;
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected question box: " << box.text.toStdString();
        return Answer::No;
    }
    const Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

QString ScriptedDialogs::inputQuery(const QString& title, const QString& prompt, const QString& defaultText) {
    queries.push_back({title, prompt, defaultText});
    if (inputs_.empty()) {
        ADD_FAILURE() << "unexpected input query: " << title.toStdString();
        return defaultText;
    }
    const Input input = inputs_.front();
    inputs_.pop_front();
    return input.cancel ? defaultText : input.text;
}

std::vector<platform::Dialogs::Box> ScriptedDialogs::take() { return std::exchange(boxes_, {}); }

std::vector<QString> ScriptedDialogs::takeTexts() {
    std::vector<QString> texts;
    for (const Box& box : take()) texts.push_back(box.text);
    return texts;
}

ScopedScriptedDialogs::~ScopedScriptedDialogs() {
    for (const auto& box : (*this)->take()) ADD_FAILURE() << "unexpected box: " << box.text.toStdString();
    EXPECT_TRUE((*this)->idle()) << "queued answers were not used";
}

}  // namespace tessavo::test
