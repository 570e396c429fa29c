// Text another program hands over (xclip owning the primary selection) reaches the login
// entry by the middle button filtered like typed keys: only letters and digits arrive.
#include <gtest/gtest.h>

#include <optional>

#include "tests/e2e/AutoFillDesktop.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

class PastedPassword : public AutoFillDesktop {};

TEST_F(PastedPassword, AMiddleClickPasteIntoTheLoginEntryKeepsOnlyLettersAndDigits) {
    start();
    const XWindowId login = waitForLoginWindow();
    copyElsewhere(QStringLiteral("vo!r el中"), "primary");
    desktop().click(desktop().geometry(login).topLeft() + place::kPasswordEntry, 2);
    typeAndEnter(login, QString());
    std::optional<XWindowId> main;
    EXPECT_TRUE(waitUntil([&] { return (main = mainWindow()).has_value(); })) << "the pasted \"vorel\" did not log in";
    EXPECT_TRUE(home().shownBoxes().isEmpty());
}

}  // namespace
}  // namespace tessavo::test
