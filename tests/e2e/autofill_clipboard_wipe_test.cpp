// The clipboard wipe as another program sees it, in real time: 60 seconds after the copy the
// clipboard is empty, also of what another program put there in between.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/e2e/AutoFillDesktop.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

class ClipboardWipe : public AutoFillDesktop {};

TEST_F(ClipboardWipe, SixtySecondsAfterThePasteTheClipboardIsEmpty) {
    storeRecord(QStringLiteral("alice"), QStringLiteral("Wipe-Me 60"));
    savePasteMode();
    startAndChooseRecord();
    TargetProgram& target = startTarget();

    press("ctrl+Right");
    EXPECT_EQ(target.waitFor(QStringLiteral("Wipe-Me 60")), QStringLiteral("Wipe-Me 60"));
    EXPECT_EQ(clipboardText(), QStringLiteral("Wipe-Me 60"));
    EXPECT_NE(clipboardText("primary"), QStringLiteral("Wipe-Me 60")) << "the password went to the primary selection";

    copyElsewhere(QStringLiteral("copied by another program"));
    // The timer's 60 seconds, with room for a loaded machine.
    EXPECT_TRUE(waitUntil([&] { return clipboardText().isEmpty(); }, std::chrono::seconds(120)))
        << "still on the clipboard: " << clipboardText().toStdString();
    EXPECT_TRUE(program().running());

    // The next paste takes the clipboard again.
    target.clear();
    press("ctrl+Right");
    EXPECT_EQ(target.waitFor(QStringLiteral("Wipe-Me 60")), QStringLiteral("Wipe-Me 60"));
    EXPECT_EQ(clipboardText(), QStringLiteral("Wipe-Me 60"));
}

}  // namespace
}  // namespace tessavo::test
