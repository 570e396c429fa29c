// The change of the management password on the settings page: the checks with their
// messages, the backup, the new cipher in every row of Pass, the end of the program and the
// next start; "重置", "防偷窥" and the typing filter of the new-password entries.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>

#include "access/LoginState.h"
#include "access/Unit_Login.h"
#include "app/Program.h"
#include "app/Unit1.h"
#include "platform/desktop/Guard.h"
#include "store/Connection.h"
#include "store/ConnectionString.h"
#include "store/SqlCipherFile.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/ScopedPermissionChecks.h"

using namespace tessavo;

namespace {

const QString kClock = QStringLiteral("2017/12/30 9:05:07");

class PasswordChangeTest : public test::ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        logIn();
        main().setPanelText(app::kClockPanel, kClock);
    }

    void enter(const QString& oldPassword, const QString& newPassword, const QString& confirmation) {
        main().Edit_OldPass->setText(oldPassword);
        main().Edit_Pass_A->setText(newPassword);
        main().Edit_Pass_B->setText(confirmation);
    }

    QString databasePath() const { return appDir() + QStringLiteral("_.udb"); }

    // The cipher text of every row of table Pass, read beside the program.
    QStringList storedCiphers() const {
        store::SqlCipherFile database(databasePath(), QString::fromUtf16(store::kDatabasePassword));
        store::SqlStatement select = database.prepare(QStringLiteral("SELECT 密码 FROM Pass"));
        QStringList ciphers;
        while (select.step()) ciphers << select.text(0);
        return ciphers;
    }

    QStringList backups() const { return test::entriesOf(appDir()).filter(QStringLiteral("_bak_")); }

    static void typeInto(QLineEdit* entry, const QString& text) {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, entry, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
};

struct RefusedCase {
    const char* name;
    const char* oldPassword;
    const char* newPassword;
    const char* confirmation;
    const char* message;
    bool clearsNewEntries;
};

class PasswordChangeRefused : public PasswordChangeTest, public testing::WithParamInterface<RefusedCase> {};

TEST_P(PasswordChangeRefused, ShowsTheFirstFailingChecksMessageAndChangesNothing) {
    const RefusedCase& c = GetParam();
    const QStringList ciphers = storedCiphers();
    enter(QString::fromUtf8(c.oldPassword), QString::fromUtf8(c.newPassword), QString::fromUtf8(c.confirmation));
    QTest::mouseClick(main().Button7, Qt::LeftButton);

    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QString::fromUtf8(c.message)});
    EXPECT_EQ(main().Edit_OldPass->text(), QString::fromUtf8(c.oldPassword));
    EXPECT_EQ(main().Edit_Pass_A->text(), c.clearsNewEntries ? QString() : QString::fromUtf8(c.newPassword));
    EXPECT_EQ(main().Edit_Pass_B->text(), c.clearsNewEntries ? QString() : QString::fromUtf8(c.confirmation));
    EXPECT_FALSE(main().closed());
    EXPECT_EQ(storedCiphers(), ciphers);
    EXPECT_TRUE(backups().isEmpty()) << backups().join(u' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Checks, PasswordChangeRefused,
    testing::Values(RefusedCase{"wrongOld", "wrong", "abc", "abc", "原始密码错误!", false},
                    RefusedCase{"newIsCurrent", "vorel", "vorel", "vorel", "请输入新的密码.", false},
                    RefusedCase{"newMissing", "vorel", "", "abc", "请填写密码.", false},
                    RefusedCase{"confirmationMissing", "vorel", "abc", "", "请填写确认密码.", false},
                    RefusedCase{"entriesDiffer", "vorel", "abc", "abd", "两次输入的密码不相同.", true}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST_F(PasswordChangeTest, ASuccessfulChangeBacksUpWritesEveryRowAndEndsTheProgram) {
    {
        store::SqlCipherFile database(databasePath(), QString::fromUtf16(store::kDatabasePassword));
        database.execute(QStringLiteral("INSERT INTO Pass (密码) VALUES ('second');"));
    }
    const std::string before = test::readBytes(databasePath());
    enter(QStringLiteral("vorel"), QStringLiteral("Neu7pass"), QStringLiteral("Neu7pass"));
    QTest::mouseClick(main().Button7, Qt::LeftButton);

    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("密码设置成功,请重新登录Tessavo.")});
    EXPECT_TRUE(main().closed());
    const QString backup = QStringLiteral("修改密码前备份_bak_2017123090507_.udb");
    EXPECT_EQ(backups(), QStringList{backup});
    EXPECT_TRUE(test::readBytes(appDir() + backup) == before) << "the backup is not the file before the change";
    const QString cipher = access::loginCipherOf(QStringLiteral("Neu7pass"));
    EXPECT_EQ(storedCiphers(), (QStringList{cipher, cipher}));
}

TEST_F(PasswordChangeTest, TheNextStartAcceptsOnlyTheNewPassword) {
    enter(QStringLiteral("vorel"), QStringLiteral("Neu7pass"), QStringLiteral("Neu7pass"));
    QTest::mouseClick(main().Button7, Qt::LeftButton);
    dialogs->takeTexts();
    ASSERT_TRUE(main().closed());

    app::Program next(appDir());
    platform::trigger(next.main().Button_CheckLogin);
    access::TForm2& window = next.login();
    window.Edit_LoginPass->setText(QStringLiteral("vorel"));
    platform::trigger(window.Button_Logining);
    EXPECT_EQ(window.panelText(), QStringLiteral("密码错误...1次"));
    EXPECT_TRUE(window.Edit_LoginPass_Temp->text().isEmpty());

    window.Edit_LoginPass->setText(QStringLiteral("Neu7pass"));
    platform::trigger(window.Button_Logining);
    EXPECT_EQ(window.Edit_LoginPass_Temp->text(), access::loginCipherOf(QStringLiteral("Neu7pass")));
    EXPECT_TRUE(next.main().isVisible());
    EXPECT_TRUE(dialogs->takeTexts().empty());
}

TEST_F(PasswordChangeTest, AFailingStatementShowsTheErrorAndTheProgramGoesOn) {
    const QStringList ciphers = storedCiphers();
    main().ADOConnection1->close();
    QFile::setPermissions(databasePath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    {
        const test::ScopedPermissionChecks checks;
        enter(QStringLiteral("vorel"), QStringLiteral("Neu7pass"), QStringLiteral("Neu7pass"));
        QTest::mouseClick(main().Button7, Qt::LeftButton);
    }
    const std::vector<platform::Dialogs::Box> boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, platform::Dialogs::Icon::Error);
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("readonly"))) << boxes[0].text.toStdString();
    EXPECT_FALSE(main().closed());
    EXPECT_EQ(storedCiphers(), ciphers);
    EXPECT_EQ(backups().size(), 1) << "the backup comes before the statement";
}

TEST_F(PasswordChangeTest, ResetClearsOnlyTheNewEntries) {
    enter(QStringLiteral("vorel"), QStringLiteral("abc"), QStringLiteral("abd"));
    QTest::mouseClick(main().Button_PassCleal, Qt::LeftButton);
    EXPECT_EQ(main().Edit_OldPass->text(), QStringLiteral("vorel"));
    EXPECT_TRUE(main().Edit_Pass_A->text().isEmpty());
    EXPECT_TRUE(main().Edit_Pass_B->text().isEmpty());
}

TEST_F(PasswordChangeTest, PeepProtectionMasksTheThreeEntriesForGood) {
    QLineEdit* const entries[] = {main().Edit_OldPass, main().Edit_Pass_A, main().Edit_Pass_B};
    for (QLineEdit* entry : entries) EXPECT_EQ(entry->echoMode(), QLineEdit::Normal) << "shown in clear text at first";
    QTest::mouseClick(main().Button5, Qt::LeftButton);
    QTest::mouseClick(main().Button_PassCleal, Qt::LeftButton);
    for (QLineEdit* entry : entries) {
        SCOPED_TRACE(entry->objectName().toStdString());
        EXPECT_EQ(entry->echoMode(), QLineEdit::Password);
        EXPECT_EQ(entry->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, entry), int{u'*'});
    }
}

TEST_F(PasswordChangeTest, OnlyTheNewPasswordEntriesFilterTyping) {
    struct Case {
        QLineEdit* entry;
        QString typed;
        QString text;
        int beeps;
    };
    const Case cases[] = {
        {main().Edit_Pass_A, QStringLiteral("a1!Z 密"), QStringLiteral("a1Z"), 3},
        {main().Edit_Pass_B, QStringLiteral("x-9"), QStringLiteral("x9"), 1},
        {main().Edit_OldPass, QStringLiteral("a1! 密"), QStringLiteral("a1! 密"), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry->objectName().toStdString());
        dialogs->beeps = 0;
        typeInto(c.entry, c.typed);
        EXPECT_EQ(c.entry->text(), c.text);
        EXPECT_EQ(dialogs->beeps, c.beeps);
    }
    QTest::keyClick(main().Edit_Pass_A, Qt::Key_Backspace);
    EXPECT_EQ(main().Edit_Pass_A->text(), QStringLiteral("a1"));
}

}  // namespace
