// Pictures of the login window and of the main window's three pages, kept for review under the
// screenshot directory, taken from the built program as the X server shows it.
#include <gtest/gtest.h>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "platform/base/AnsiCodePage.h"
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

// A record row as the program stores it: password and notes under the account key.
QString recordInsert(const QString& category, const QString& title, const QString& account, const QString& password,
                     const QString& notes, int uses) {
    const auto cipher = [](const QString& plain) {
        return QString::fromLatin1(cipher::DesEncryptToHex(platform::toAnsi(plain), "40618253"));
    };
    return QStringLiteral(
               "insert into data (分类,网址,标题,帐号,密码,备注,统计) values "
               "('%1','https://%2.example','%2','%3','%4','%5',%6);")
        .arg(category, title, account, cipher(password), cipher(notes))
        .arg(uses);
}

TEST_F(WindowPictures, OfTheAccountPageWithRecordsLoadedAndOneChosen) {
    ProgramHome& programHome = install();
    programHome.runSql(recordInsert(QStringLiteral("网站账号"), QStringLiteral("邮箱"), QStringLiteral("alice"),
                                    QStringLiteral("s3cret!"), QStringLiteral("工作邮箱"), 9) +
                       recordInsert(QStringLiteral("网站账号"), QStringLiteral("论坛"), QStringLiteral("bob"),
                                    QStringLiteral("pa55"), QString(), 5) +
                       recordInsert(QStringLiteral("银行卡片"), QStringLiteral("网上银行"), QStringLiteral("6222"),
                                    QStringLiteral("864213"), QStringLiteral("U盾"), 2));
    start();
    waitForLoginWindow();
    const XWindowId main = logIn();
    const QImage loaded = desktop().grab(main);
    // The first data row of the grid, below its header, right of the category list.
    clickInWindow(main, {320, 160});
    EXPECT_TRUE(waitUntil([&] { return desktop().grab(main) != loaded; })) << "the click did not fill the editor";
    const QImage chosen = screenshot(main, QStringLiteral("main_window_4_account_chosen"));
    EXPECT_EQ(chosen.size(), QSize(581, 595));
}

}  // namespace
}  // namespace tessavo::test
