#include <gtest/gtest.h>

#include <QPushButton>
#include <functional>

#include "platform/base/Error.h"
#include "platform/desktop/Guard.h"
#include "tests/support/ScriptedDialogs.h"

using namespace tessavo;

TEST(HandlerGuard, ShowsAnEscapingErrorInTheStandardErrorBox) {
    test::ScopedScriptedDialogs dialogs;
    platform::runGuarded([] { throw Error(QStringLiteral("数据库已锁定")); });
    const auto boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, QStringLiteral("Tessavo个人版"));
    EXPECT_EQ(boxes[0].text, QStringLiteral("数据库已锁定"));
    EXPECT_EQ(boxes[0].icon, platform::Dialogs::Icon::Error);
}

TEST(HandlerGuard, AnErrorWithoutATextOfItsOwnIsShownInChinese) {
    struct NotStandard {};
    const std::function<void()> throwers[] = {
        [] { throw 42; },
        [] { throw "raw text"; },
        [] { throw NotStandard{}; },
    };
    for (const auto& thrower : throwers) {
        test::ScopedScriptedDialogs dialogs;
        EXPECT_FALSE(platform::runGuarded(thrower));
        const auto boxes = dialogs->take();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].title, QStringLiteral("Tessavo个人版"));
        EXPECT_EQ(boxes[0].text, QStringLiteral("程序发生未知错误."));
        EXPECT_EQ(boxes[0].icon, platform::Dialogs::Icon::Error);
    }
}

TEST(HandlerGuard, ATriggeredHandlersErrorEndsTheCallerOnce) {
    test::ScopedScriptedDialogs dialogs;
    QPushButton inner;
    QPushButton outer;
    int stepsAfterTrigger = 0;
    platform::bindGuardedCall(&inner, &QPushButton::clicked, &inner, [] { throw Error(std::string("inner failed")); });
    platform::bindGuardedCall(&outer, &QPushButton::clicked, &outer, [&] {
        platform::trigger(&inner);
        ++stepsAfterTrigger;
    });
    outer.click();
    EXPECT_EQ(stepsAfterTrigger, 0);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("inner failed")});
}

TEST(HandlerGuard, AHiddenButtonsClickRunsItsHandler) {
    test::ScopedScriptedDialogs dialogs;
    QPushButton hidden;
    hidden.hide();
    bool ran = false;
    platform::bindGuardedCall(&hidden, &QPushButton::clicked, &hidden, [&] { ran = true; });
    platform::trigger(&hidden);
    EXPECT_TRUE(ran);
}
