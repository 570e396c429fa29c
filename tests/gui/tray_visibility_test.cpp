#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "access/Unit_Login.h"
#include "app/Unit1.h"
#include "platform/desktop/Guard.h"
#include "tests/support/ProgramFixture.h"

using namespace tessavo;

namespace {

// The three states of the windows: Shown, Hidden and Asking.
enum class State { Shown, Hidden, Asking };

class TrayVisibility : public test::ProgramFixture {
protected:
    State state() {
        const bool mark = !login().Edit_LoginPass_Temp->text().isEmpty();
        if (main().isVisible() && !login().isVisible() && mark) return State::Shown;
        if (!main().isVisible() && !login().isVisible() && !mark) return State::Hidden;
        if (!main().isVisible() && login().isVisible() && !mark) return State::Asking;
        ADD_FAILURE() << "windows in no known state";
        return State::Hidden;
    }
};

TEST_F(TrayVisibility, TheStatesFollowTheMenuAndTheLogin) {
    logIn();
    EXPECT_EQ(state(), State::Shown);

    platform::trigger(main().ShowME);  // while logged in: raised, no question
    EXPECT_EQ(state(), State::Shown);

    platform::trigger(main().HideME);
    EXPECT_EQ(state(), State::Hidden);

    platform::trigger(main().ShowME);  // never the main window directly
    EXPECT_EQ(state(), State::Asking);

    platform::trigger(main().Button_HIde);  // only the taskbar steps run
    EXPECT_EQ(state(), State::Asking);

    main().TrayIcon1Click();  // a click on the icon is "显示窗口"
    EXPECT_EQ(state(), State::Asking);

    login().Edit_LoginPass->setText(QStringLiteral("vorel"));
    platform::trigger(login().Button_Logining);
    EXPECT_EQ(state(), State::Shown);

    platform::trigger(main().CloseMe);
    EXPECT_TRUE(main().closed());
}

// A later start of the program runs what a click on the tray icon runs, in every state.
TEST_F(TrayVisibility, ALaterStartActsAsATrayClick) {
    main().LaterStartClick();  // before the gate's first run: the login window comes up
    EXPECT_EQ(state(), State::Asking);
    main().LaterStartClick();
    EXPECT_EQ(state(), State::Asking);
    logIn();
    main().LaterStartClick();  // logged in: the main window stays, without a question
    EXPECT_EQ(state(), State::Shown);
    platform::trigger(main().Button_HIde);
    EXPECT_EQ(state(), State::Hidden);
    main().LaterStartClick();
    EXPECT_EQ(state(), State::Asking);
    EXPECT_FALSE(login().isMinimized());
}

// Without the database there is nothing to show: no box, no window.
class TrayVisibilityWithoutDatabase : public TrayVisibility {
protected:
    bool withDatabase() const override { return false; }
};

TEST_F(TrayVisibilityWithoutDatabase, ALaterStartShowsNothing) {
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("没有发现数据库\"_.udb\"文件.")});
    main().LaterStartClick();
    EXPECT_FALSE(main().isVisible() || login().isVisible());
    EXPECT_TRUE(dialogs->take().empty());
}

// On a desktop that shows no tray icons, hiding leaves the login window minimised as the way
// back; restoring it (or a later start) asks for the password before the main window returns.
class TrayVisibilityWithoutNotificationArea : public TrayVisibility {
protected:
    bool withNotificationArea() const override { return false; }
};

TEST_F(TrayVisibilityWithoutNotificationArea, HidingMinimisesToTheLoginWindow) {
    for (QAction* hiding : {main().HideME, static_cast<QAction*>(nullptr)}) {
        logIn();
        ASSERT_EQ(state(), State::Shown);
        if (hiding) {
            platform::trigger(hiding);
        } else {
            platform::trigger(main().Button_HIde);
        }
        EXPECT_FALSE(main().isVisible());
        EXPECT_TRUE(login().isVisible());
        EXPECT_TRUE(login().isMinimized());
        EXPECT_TRUE(login().Edit_LoginPass_Temp->text().isEmpty()) << "hiding forgets the login";

        main().LaterStartClick();
        EXPECT_EQ(state(), State::Asking);
        EXPECT_FALSE(login().isMinimized());
    }
}

TEST_F(TrayVisibility, HidingKeepsTheChosenRecordInTheEditor) {
    logIn();
    main().Edit_ZhangHao->setText(QStringLiteral("alice"));
    main().Edit_MiMa_Temp->setText(QStringLiteral("s3cret"));
    platform::trigger(main().Button_HIde);
    EXPECT_EQ(main().Edit_ZhangHao->text(), QStringLiteral("alice"));
    EXPECT_EQ(main().Edit_MiMa_Temp->text(), QStringLiteral("s3cret"));
}

TEST_F(TrayVisibility, TheClockPanelIsEmptyUntilTheFirstTickThenShowsDateAndTime) {
    EXPECT_TRUE(main().panelText(app::kClockPanel).isEmpty());
    EXPECT_TRUE(main().Timer1->isActive());
    QMetaObject::invokeMethod(main().Timer1, "timeout");
    const QString clock = main().panelText(app::kClockPanel);
    const QLocale locale = QLocale::system();
    const QDate today = QDate::currentDate();
    EXPECT_TRUE(clock.startsWith(locale.toString(today, QLocale::ShortFormat) + QLatin1Char(' ')) ||
                clock.startsWith(locale.toString(today.addDays(1), QLocale::ShortFormat)))
        << clock.toStdString();
}

}  // namespace
