#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "access/LoginState.h"
#include "access/Unit_Login.h"
#include "app/Unit1.h"
#include "platform/desktop/Guard.h"
#include "store/Query.h"
#include "tests/support/ProgramFixture.h"

using namespace tessavo;

namespace {

const QString kLockout = QStringLiteral("由于您多次输入了无效的密码程序将要退出...");

class LoginWindow : public test::ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        platform::trigger(main().Button_CheckLogin);  // the gate, as the one-second timer runs it
    }

    void typeInto(QLineEdit* entry, const QString& text) {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, entry, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    void tryPassword(const QString& password) {
        login().Edit_LoginPass->setText(password);
        platform::trigger(login().Button_Logining);
    }
};

TEST_F(LoginWindow, TheGateShowsTheLoginWindowAndKeepsTheMainWindowHidden) {
    EXPECT_TRUE(login().isVisible());
    EXPECT_FALSE(main().isVisible());
    EXPECT_EQ(login().windowTitle(), QStringLiteral("管理登录"));
    EXPECT_EQ(login().size(), QSize(260, 147));
    EXPECT_EQ(login().Edit_LoginPass->echoMode(), QLineEdit::Password);
    EXPECT_EQ(login().Edit_Error->text(), QStringLiteral("0"));
    EXPECT_TRUE(login().Edit_LoginPass_Temp->text().isEmpty());
    EXPECT_FALSE(access::StoredLoginCipher().isEmpty());
}

TEST_F(LoginWindow, TheTypingFilterPassesLettersDigitsAndBackspaceOnly) {
    struct Case {
        QString typed;
        QString entry;
        int beeps;
    };
    const Case cases[] = {
        {QStringLiteral("vorel09AZ"), QStringLiteral("vorel09AZ"), 0},
        {QStringLiteral("a!b"), QStringLiteral("ab"), 1},
        {QStringLiteral("a b"), QStringLiteral("ab"), 1},
        {QStringLiteral("密a"), QStringLiteral("a"), 1},
        {QStringLiteral("é_-+"), QString(), 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        login().Edit_LoginPass->clear();
        dialogs->beeps = 0;
        typeInto(login().Edit_LoginPass, c.typed);
        EXPECT_EQ(login().Edit_LoginPass->text(), c.entry);
        EXPECT_EQ(dialogs->beeps, c.beeps);
    }
    QTest::keyClick(login().Edit_LoginPass, Qt::Key_Backspace);
    EXPECT_EQ(login().Edit_LoginPass->text(), QString());
    typeInto(login().Edit_LoginPass, QStringLiteral("ab"));
    QTest::keyClick(login().Edit_LoginPass, Qt::Key_Backspace);
    EXPECT_EQ(login().Edit_LoginPass->text(), QStringLiteral("a"));
}

TEST_F(LoginWindow, AClickIntoTheEntryClearsIt) {
    typeInto(login().Edit_LoginPass, QStringLiteral("secret"));
    QTest::mouseClick(login().Edit_LoginPass, Qt::LeftButton);
    EXPECT_TRUE(login().Edit_LoginPass->text().isEmpty());
}

TEST_F(LoginWindow, OnlyTheLeftButtonsClickClearsTheEntry) {
    typeInto(login().Edit_LoginPass, QStringLiteral("secret"));
    for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(login().Edit_LoginPass, button);
        EXPECT_EQ(login().Edit_LoginPass->text(), QStringLiteral("secret")) << button;
    }
}

TEST_F(LoginWindow, EnterLogsInOnlyAfterTheEntryHasChanged) {
    QTest::keyClick(login().Edit_LoginPass, Qt::Key_Return);
    EXPECT_TRUE(dialogs->take().empty());  // nothing is the default button yet
    EXPECT_EQ(login().defaultButton(), nullptr);
    typeInto(login().Edit_LoginPass, QStringLiteral("vorel"));
    EXPECT_EQ(login().defaultButton(), login().Button_Logining);
    QTest::keyClick(login().Edit_LoginPass, Qt::Key_Return);
    EXPECT_TRUE(main().isVisible());
    EXPECT_FALSE(login().isVisible());
}

TEST_F(LoginWindow, TheCorrectPasswordShowsTheMainWindowAndSetsTheMark) {
    tryPassword(QStringLiteral("vorel"));
    EXPECT_TRUE(main().isVisible());
    EXPECT_FALSE(login().isVisible());
    EXPECT_TRUE(login().Edit_LoginPass->text().isEmpty());
    EXPECT_EQ(login().Edit_LoginPass_Temp->text(), access::StoredLoginCipher());
    EXPECT_TRUE(main().ADOQuery1->isOpen());  // the listing was reloaded
}

TEST_F(LoginWindow, AnEmptyEntryAsksForThePassword) {
    tryPassword(QString());
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("请输入密码...")});
    EXPECT_EQ(login().Edit_Error->text(), QStringLiteral("0"));
}

TEST_F(LoginWindow, WrongPasswordsCountAndThePasswordIsCaseSensitive) {
    tryPassword(QStringLiteral("VOREL"));
    tryPassword(QStringLiteral("vorel1"));
    EXPECT_EQ(login().Edit_Error->text(), QStringLiteral("2"));
    EXPECT_EQ(login().panelText(), QStringLiteral("密码错误...2次"));
    EXPECT_EQ(login().Edit_LoginPass->text(), QStringLiteral("vorel1"));  // the entry keeps it
    EXPECT_FALSE(main().isVisible());
    EXPECT_FALSE(main().closed());
}

TEST_F(LoginWindow, TheThirdWrongPasswordEndsTheProgramAfterTheMessage) {
    for (int i = 0; i < 3; ++i) tryPassword(QStringLiteral("wrong"));
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{kLockout});
    EXPECT_TRUE(main().closed());
}

TEST_F(LoginWindow, FailuresCountOverTheWholeLifeOfTheProcess) {
    tryPassword(QStringLiteral("wrong"));
    tryPassword(QStringLiteral("wrong"));
    tryPassword(QStringLiteral("vorel"));
    EXPECT_FALSE(main().closed());
    platform::trigger(main().Button_HIde);
    platform::trigger(main().ShowME);
    ASSERT_TRUE(login().isVisible());
    tryPassword(QStringLiteral("wrong"));
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{kLockout});
    EXPECT_TRUE(main().closed());
}

TEST_F(LoginWindow, ExitEndsTheProgram) {
    platform::trigger(login().Button2);
    EXPECT_TRUE(main().closed());
}

TEST_F(LoginWindow, TheWindowManagersCloseRequestIsIgnoredByBothWindows) {
    EXPECT_FALSE(login().close());
    EXPECT_TRUE(login().isVisible());
    tryPassword(QStringLiteral("vorel"));
    EXPECT_FALSE(main().close());
    EXPECT_TRUE(main().isVisible());
    EXPECT_FALSE(main().closed());
}

class LoginGateWithoutPassword : public test::ProgramFixture {};

TEST_F(LoginGateWithoutPassword, EndsTheProgramWithoutAMessage) {
    store::Query statement(*main().ADOConnection1);
    statement.addSql(QStringLiteral("delete from Pass"));
    statement.execute();
    platform::trigger(main().Button_CheckLogin);
    EXPECT_TRUE(main().closed());
    EXPECT_FALSE(login().isVisible());
}

class LoginGateTimer : public test::ProgramFixture {};

TEST_F(LoginGateTimer, RunsTheGateOnceAndDisarmsItself) {
    ASSERT_TRUE(main().Timer_CheckLogin->isActive());
    EXPECT_FALSE(login().isVisible());
    QMetaObject::invokeMethod(main().Timer_CheckLogin, "timeout");  // the tick, without waiting for it
    EXPECT_FALSE(main().Timer_CheckLogin->isActive());
    EXPECT_TRUE(login().isVisible());
}

}  // namespace
