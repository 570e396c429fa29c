// The copy buttons, the clipboard wipe 60 seconds after the first copy, and the wipe at close,
// on the real main window over a clipboard that records and can refuse to open.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/Guard.h"
#include "store/Connection.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RecordingClipboard.h"

using namespace tessavo;

namespace {

using Calls = std::vector<std::string>;

class ClipboardWipe : public test::ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        logIn();
        main().Edit_WangZhi->setText(QStringLiteral("https://example.org/login"));
        main().Edit_ZhangHao->setText(QStringLiteral("alice"));
        main().Edit_MiMa->setText(QStringLiteral("masked-field"));
        main().Edit_MiMa_Temp->setText(QStringLiteral("plain-secret"));
    }

    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // What the timer does when its 60 seconds are up.
    void timeUp() { QMetaObject::invokeMethod(main().Timer_ClearClipbrd, "timeout"); }

    // One error box with this text, taken.
    void expectErrorBox(const QString& text) {
        const auto boxes = dialogs->take();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].icon, platform::Dialogs::Icon::Error);
        EXPECT_EQ(boxes[0].text, text);
    }

    QString refusal() { return QStringLiteral("Cannot open clipboard: ") + clipboard->error; }

    test::ScopedRecordingClipboard clipboard;
};

struct CopyCase {
    const char* name;
    QPushButton* app::TForm1::*button;
    QLineEdit* app::TForm1::*field;
    bool secret;
};

class CopyButtons : public ClipboardWipe, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(CopyButtons, CopyTheWholeFieldAndArmTheWipe) {
    QLineEdit* field = main().*GetParam().field;
    EXPECT_FALSE(main().Timer_ClearClipbrd->isActive());

    click(main().*GetParam().button);

    EXPECT_EQ(clipboard->text, field->text());
    EXPECT_EQ(clipboard->secret, GetParam().secret);
    EXPECT_EQ(clipboard->calls.size(), 1u);
    EXPECT_EQ(field->selectedText(), field->text());
    EXPECT_TRUE(main().Timer_ClearClipbrd->isActive());
    EXPECT_EQ(main().Timer_ClearClipbrd->interval(), 60000);
}

INSTANTIATE_TEST_SUITE_P(
    ThreeFields, CopyButtons,
    ::testing::Values(CopyCase{"WebAddress", &app::TForm1::Button4, &app::TForm1::Edit_WangZhi, false},
                      CopyCase{"Account", &app::TForm1::ButtonCopyZhangHao, &app::TForm1::Edit_ZhangHao, true},
                      // the plain hidden copy, never the masked field
                      CopyCase{"Password", &app::TForm1::ButtonCopyEdit_MiMa, &app::TForm1::Edit_MiMa_Temp, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClipboardWipe, ASecondCopyChangesTheContentButNotTheTimeOfTheWipe) {
    click(main().ButtonCopyZhangHao);
    const int armed = main().Timer_ClearClipbrd->timerId();
    click(main().ButtonCopyEdit_MiMa);

    EXPECT_EQ(clipboard->text, QStringLiteral("plain-secret"));
    EXPECT_TRUE(main().Timer_ClearClipbrd->isActive());
    EXPECT_EQ(main().Timer_ClearClipbrd->timerId(), armed);  // not started again
}

TEST_F(ClipboardWipe, TheTimedWipeEmptiesEverythingAndDisarms) {
    click(main().ButtonCopyEdit_MiMa);
    clipboard->setText(QStringLiteral("copied later by another program"), false);
    clipboard->calls.clear();

    timeUp();

    EXPECT_EQ(clipboard->calls, (Calls{"open", "empty", "close"}));
    EXPECT_TRUE(clipboard->text.isEmpty());
    EXPECT_FALSE(main().Timer_ClearClipbrd->isActive());

    click(main().Button4);  // idle again: the next copy arms a new wipe
    EXPECT_TRUE(main().Timer_ClearClipbrd->isActive());
}

TEST_F(ClipboardWipe, AWipeThatCannotOpenTheClipboardShowsTheErrorAndStaysArmed) {
    click(main().ButtonCopyEdit_MiMa);
    clipboard->refuseOpen = true;
    clipboard->calls.clear();

    timeUp();

    expectErrorBox(refusal());
    EXPECT_EQ(clipboard->calls, Calls{"open failed"});
    EXPECT_EQ(clipboard->text, QStringLiteral("plain-secret"));
    EXPECT_TRUE(main().Timer_ClearClipbrd->isActive());

    timeUp();  // 60 seconds later: the same box
    expectErrorBox(refusal());

    clipboard->refuseOpen = false;
    timeUp();
    EXPECT_TRUE(clipboard->text.isEmpty());
    EXPECT_FALSE(main().Timer_ClearClipbrd->isActive());
}

TEST_F(ClipboardWipe, ClosingTheProgramEmptiesTheClipboardAlsoWithNothingCopied) {
    clipboard->setText(QStringLiteral("another program's text"), false);
    clipboard->calls.clear();

    platform::trigger(main().CloseMe);

    EXPECT_TRUE(main().closed());
    EXPECT_EQ(clipboard->calls, (Calls{"open", "empty", "close"}));
    EXPECT_TRUE(clipboard->text.isEmpty());
}

TEST_F(ClipboardWipe, AClosingWipeThatCannotOpenTheClipboardKeepsTheWindowOpenUntilTheNextClose) {
    click(main().ButtonCopyZhangHao);
    clipboard->refuseOpen = true;

    platform::trigger(main().CloseMe);

    expectErrorBox(refusal());
    EXPECT_FALSE(main().closed());
    EXPECT_TRUE(main().isVisible());
    EXPECT_FALSE(main().ADOConnection1->isOpen());  // closed before the wipe was tried
    EXPECT_EQ(clipboard->text, QStringLiteral("alice"));

    clipboard->refuseOpen = false;
    platform::trigger(main().CloseMe);
    EXPECT_TRUE(main().closed());
    EXPECT_TRUE(clipboard->text.isEmpty());
}

}  // namespace
