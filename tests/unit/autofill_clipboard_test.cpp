// The program's clipboard object over a clipboard that records every request and can refuse
// to open.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "autofill/Unit_Clipbrd.h"
#include "platform/base/Error.h"
#include "tests/support/RecordingClipboard.h"

using namespace tessavo;

namespace {

using Calls = std::vector<std::string>;

class ClipboardObject : public ::testing::Test {
protected:
    test::ScopedRecordingClipboard system;
    autofill::TClipboard clipboard;
};

TEST_F(ClipboardObject, NestedOpensOnlyCountAndTheLastCloseGivesTheClipboardBack) {
    clipboard.Open();
    clipboard.Open();
    clipboard.Close();
    EXPECT_EQ(clipboard.openCount(), 1);
    EXPECT_TRUE(system->isOpen);
    EXPECT_EQ(system->calls, Calls{"open"});

    clipboard.Close();
    EXPECT_EQ(clipboard.openCount(), 0);
    EXPECT_FALSE(system->isOpen);

    clipboard.Close();  // nothing open: nothing happens
    EXPECT_EQ(clipboard.openCount(), 0);
    EXPECT_EQ(system->calls, (Calls{"open", "close"}));
}

TEST_F(ClipboardObject, ClearEmptiesBetweenOpenAndCloseWhateverTheClipboardHeld) {
    system->setText(QStringLiteral("from another program"), false);
    system->calls.clear();

    clipboard.Clear();

    EXPECT_EQ(system->calls, (Calls{"open", "empty", "close"}));
    EXPECT_TRUE(system->text.isEmpty());
    EXPECT_EQ(clipboard.openCount(), 0);
}

TEST_F(ClipboardObject, ClearInsideAnOpenLeavesTheClipboardOpenAndMarksItEmptied) {
    clipboard.Open();
    EXPECT_FALSE(clipboard.emptied());
    clipboard.Clear();
    EXPECT_TRUE(clipboard.emptied());
    EXPECT_EQ(clipboard.openCount(), 1);
    EXPECT_EQ(system->calls, (Calls{"open", "empty"}));
    clipboard.Close();

    clipboard.Open();  // each first open starts afresh
    EXPECT_FALSE(clipboard.emptied());
    clipboard.Close();
}

// Both ways in reach the system clipboard through Open.
struct RefusedOpen {
    const char* operation;
    void (autofill::TClipboard::*call)();
};

class ClipboardRefused : public ClipboardObject, public ::testing::WithParamInterface<RefusedOpen> {};

TEST_P(ClipboardRefused, RaisesTheErrorWithTheSystemsReasonAndCountsNoOpen) {
    system->refuseOpen = true;
    system->error = QStringLiteral("Access is denied.");
    try {
        (clipboard.*GetParam().call)();
        FAIL() << "a refused open raised no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Cannot open clipboard: Access is denied.");
    }
    EXPECT_EQ(clipboard.openCount(), 0);
    EXPECT_EQ(system->calls, Calls{"open failed"});  // nothing emptied, nothing to close

    system->refuseOpen = false;  // the next try takes it
    clipboard.Clear();
    EXPECT_EQ(system->calls, (Calls{"open failed", "open", "empty", "close"}));
}

INSTANTIATE_TEST_SUITE_P(OpenAndClear, ClipboardRefused,
                         ::testing::Values(RefusedOpen{"Open", &autofill::TClipboard::Open},
                                           RefusedOpen{"Clear", &autofill::TClipboard::Clear}),
                         [](const auto& info) { return std::string(info.param.operation); });

TEST_F(ClipboardObject, ClearClosesAlsoWhenEmptyingFails) {
    system->failEmpty = true;
    system->error = QStringLiteral("the clipboard went away");
    EXPECT_THROW(clipboard.Clear(), Error);
    EXPECT_EQ(system->calls, (Calls{"open", "empty", "close"}));
    EXPECT_EQ(clipboard.openCount(), 0);
    EXPECT_FALSE(clipboard.emptied());
}

TEST(ClipboardInstance, IsOneObjectForTheWholeProgram) {
    autofill::TClipboard& first = autofill::ClipboardInstance();
    first.Open();
    EXPECT_EQ(&autofill::ClipboardInstance(), &first);
    EXPECT_EQ(autofill::ClipboardInstance().openCount(), 1);
    first.Close();
}

}  // namespace
