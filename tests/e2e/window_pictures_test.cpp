// Pictures of the login window and of the main window's three pages, kept for review under the
// screenshot directory, taken from the built program as the X server shows it.
#include <gtest/gtest.h>

#include "tests/e2e/EndToEnd.h"
#include "tests/support/WaitUntil.h"

namespace tessavo::test {
namespace {

// The headers of the three pages, in the main window's client area: the tab bar sits right
// below the 56-pixel banner, each header about 80 pixels wide.
const QPoint kTabHeaders[] = {{40, 68}, {120, 68}, {200, 68}};
// The surface colour of the theme "Sky" (app/resources/sky.qss).
constexpr QRgb kSkySurface = 0xeaf4fd;
const char* const kPageNames[] = {"main_window_1_accounts", "main_window_2_settings", "main_window_3_about"};

class WindowPictures : public EndToEnd {};

TEST_F(WindowPictures, OfTheLoginWindowAndOfEachPageOfTheMainWindow) {
    start();
    const QImage login = screenshot(waitForLoginWindow(), QStringLiteral("login_window"));
    EXPECT_EQ(login.size(), QSize(260, 147));
    // The theme "Sky" colours the surfaces: between the entry and the buttons, and below the
    // page in the main window.
    EXPECT_EQ(login.pixel(245, 80) & 0xffffff, kSkySurface) << "the theme is not applied";

    const XWindowId main = logIn();
    std::vector<QImage> pages;
    for (int page = 0; page < 3; ++page) {
        clickInWindow(main, kTabHeaders[page]);
        // The page has changed once the picture differs from the one of the page before.
        if (page > 0) {
            EXPECT_TRUE(waitUntil([&] { return desktop().grab(main) != pages.back(); }))
                << "the click on header " << page + 1 << " did not change the page";
        }
        pages.push_back(screenshot(main, QString::fromLatin1(kPageNames[page])));
        EXPECT_EQ(pages.back().size(), QSize(581, 595));
    }
    EXPECT_NE(pages[0], pages[2]);
    EXPECT_EQ(pages[2].pixel(300, 500) & 0xffffff, kSkySurface);
}

}  // namespace
}  // namespace tessavo::test
