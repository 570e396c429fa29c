// The protection of the database file by the management password: the check box on the settings
// page, the login gate on a protected file, and the password change, compaction and clear all
// on a protected file.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "access/LoginState.h"
#include "access/Unit_Login.h"
#include "app/Program.h"
#include "app/Unit1.h"
#include "app/Wiring.h"
#include "platform/desktop/Guard.h"
#include "store/Connection.h"
#include "store/ConnectionString.h"
#include "store/FileProtection.h"
#include "store/Query.h"
#include "store/SqlCipherFile.h"
#include "store/Statements.h"
#include "tests/support/AccountRecords.h"
#include "tests/support/FileBytes.h"
#include "tests/support/ProgramFixture.h"

using namespace tessavo;

namespace {

const QString kClock = QStringLiteral("2017/12/30 9:05:07");
const QString kProtected = QStringLiteral("数据库文件已用管理密码加密.");
const QString kUnprotected = QStringLiteral("数据库文件已取消加密.");
const QString kFixedPassword = QString::fromUtf16(store::kDatabasePassword);

class Protection : public test::ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        logIn();
        main().setPanelText(app::kClockPanel, kClock);
        std::vector<test::PlainRecord> records;
        for (int index = 0; index < 3; ++index)
            records.push_back({QStringLiteral("网站"), QStringLiteral("标题%1").arg(index),
                               QStringLiteral("user%1").arg(index), QStringLiteral("p"), QString(), QString(), 0});
        test::storeRecords(*main().ADOConnection1, records);
        platform::trigger(main().Button_Refresh);
        ASSERT_EQ(gridRows(), 3);
    }

    QString databasePath() const { return appDir() + QStringLiteral("_.udb"); }
    int gridRows() { return main().DBGrid1->model()->rowCount(); }
    QStringList backups() const { return test::entriesOf(appDir()).filter(QStringLiteral("_bak_")); }

    // A click on the check box, answering the password question with `password`.
    void toggleWith(const QString& password) {
        dialogs->queueInput(password);
        QTest::mouseClick(main().CheckBox_JiaMi, Qt::LeftButton);
    }
    void turnOn() {
        toggleWith(QStringLiteral("vorel"));
        ASSERT_EQ(dialogs->takeTexts(), std::vector<QString>{kProtected});
    }
    int rowsUnder(const QString& key) const {
        store::SqlCipherFile file(databasePath(), key);
        store::SqlStatement count = file.prepare(QStringLiteral("SELECT count(*) FROM data"));
        count.step();
        return static_cast<int>(count.int64(0));
    }
};

TEST_F(Protection, TheCheckBoxStandsOnTheSettingsPageUncheckedForAPlainFile) {
    EXPECT_EQ(main().CheckBox_JiaMi->text(), QStringLiteral("用管理密码加密数据库文件"));
    EXPECT_EQ(main().CheckBox_JiaMi->parentWidget(), static_cast<QWidget*>(main().GroupBox6));
    EXPECT_FALSE(main().CheckBox_JiaMi->isChecked());
    EXPECT_FALSE(main().CheckBox_JiaMi->geometry().intersects(main().Button11->geometry()));
}

TEST_F(Protection, OnAndOffEachAskForThePasswordTakeABackupAndRekey) {
    turnOn();
    EXPECT_TRUE(main().CheckBox_JiaMi->isChecked());
    EXPECT_TRUE(store::isProtectedFile(databasePath()));
    EXPECT_EQ(rowsUnder(store::protectedFileKey(QStringLiteral("vorel"), databasePath())), 3);
    EXPECT_EQ(gridRows(), 3) << "the listing comes back under the new key";
    const QString onBackup = appDir() + QStringLiteral("加密数据库前备份_bak_2017123090507_.udb");
    ASSERT_EQ(backups(), QStringList{QFileInfo(onBackup).fileName()});
    EXPECT_FALSE(store::isProtectedFile(onBackup)) << "the backup keeps the key it had";

    toggleWith(QStringLiteral("vorel"));
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{kUnprotected});
    EXPECT_FALSE(main().CheckBox_JiaMi->isChecked());
    EXPECT_FALSE(store::isProtectedFile(databasePath()));
    EXPECT_EQ(rowsUnder(kFixedPassword), 3);
    EXPECT_TRUE(store::isProtectedFile(appDir() + QStringLiteral("解密数据库前备份_bak_2017123090507_.udb")));
    EXPECT_EQ(gridRows(), 3);
}

TEST_F(Protection, AWrongOrCancelledPasswordChangesNothing) {
    const std::string before = test::readBytes(databasePath());
    toggleWith(QStringLiteral("Vorel"));
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("管理密码错误!")});
    dialogs->queueCancel();
    QTest::mouseClick(main().CheckBox_JiaMi, Qt::LeftButton);
    EXPECT_TRUE(dialogs->take().empty());
    EXPECT_FALSE(main().CheckBox_JiaMi->isChecked());
    EXPECT_EQ(test::readBytes(databasePath()), before);
    EXPECT_TRUE(backups().isEmpty());
}

TEST_F(Protection, CompactionAndClearAllWorkOnAProtectedFile) {
    turnOn();
    const QString key = store::protectedFileKey(QStringLiteral("vorel"), databasePath());
    QTest::mouseClick(main().Button11, Qt::LeftButton);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("数据库压缩完成.")});
    EXPECT_EQ(rowsUnder(key), 3);
    platform::trigger(main().Button_Refresh);
    EXPECT_EQ(gridRows(), 3);

    dialogs->queueAnswer(platform::Dialogs::Answer::Yes);
    QTest::mouseClick(main().Button9, Qt::LeftButton);
    dialogs->take();
    EXPECT_EQ(rowsUnder(key), 0);
    EXPECT_TRUE(store::isProtectedFile(databasePath()));
    const QString backup = appDir() + QStringLiteral("清空数据库前备份_bak_2017123090507_.udb");
    EXPECT_TRUE(store::isProtectedFile(backup));
    store::SqlCipherFile copy(backup, store::protectedFileKey(QStringLiteral("vorel"), backup));
    store::SqlStatement count = copy.prepare(QStringLiteral("SELECT count(*) FROM data"));
    ASSERT_TRUE(count.step());
    EXPECT_EQ(count.int64(0), 3);
}

TEST_F(Protection, APasswordChangeRekeysUnderTheNewPassword) {
    turnOn();
    main().Edit_OldPass->setText(QStringLiteral("vorel"));
    main().Edit_Pass_A->setText(QStringLiteral("NewPass9"));
    main().Edit_Pass_B->setText(QStringLiteral("NewPass9"));
    QTest::mouseClick(main().Button7, Qt::LeftButton);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("密码设置成功,请重新登录Tessavo.")});
    EXPECT_TRUE(main().closed());

    EXPECT_THROW(store::SqlCipherFile(databasePath(), store::protectedFileKey(QStringLiteral("vorel"), databasePath())),
                 store::NotADatabaseError);
    store::SqlCipherFile file(databasePath(), store::protectedFileKey(QStringLiteral("NewPass9"), databasePath()));
    store::SqlStatement pass = file.prepare(store::sql::readManagementPassword());
    ASSERT_TRUE(pass.step());
    EXPECT_EQ(pass.text(0), access::loginCipherOf(QStringLiteral("NewPass9")));
    const QString backup = appDir() + QStringLiteral("修改密码前备份_bak_2017123090507_.udb");
    EXPECT_NO_THROW(store::SqlCipherFile(backup, store::protectedFileKey(QStringLiteral("vorel"), backup)));
}

// ---- The gate on a protected file, in a program started afresh over it

class ProtectedGate : public Protection {
protected:
    void SetUp() override {
        Protection::SetUp();
        turnOn();
        restart();
    }
    void restart() {
        // The first program ends, its gate timer with it; a new start finds the file protected.
        main().Timer_CheckLogin->stop();
        main().requestClose();
        program_.reset();
        program_ = std::make_unique<app::Program>(appDir());
        fresh().Timer_CheckLogin->stop();  // the test runs the gate itself
    }
    app::TForm1& fresh() { return program_->main(); }
    access::TForm2& freshLogin() { return program_->login(); }
    void typeAndEnter(const QString& password) {
        freshLogin().Edit_LoginPass->setText(password);
        platform::trigger(freshLogin().Button_Logining);
    }

    std::unique_ptr<app::Program> program_;
};

TEST_F(ProtectedGate, TheGateShowsTheLoginWithoutOpeningTheFileAndTheRightPasswordOpensIt) {
    access::StoredLoginCipher().clear();
    platform::trigger(fresh().Button_CheckLogin);
    EXPECT_TRUE(dialogs->take().empty());
    EXPECT_TRUE(freshLogin().isVisible());
    EXPECT_FALSE(fresh().ADOConnection1->isOpen()) << "nothing read before the password";
    EXPECT_TRUE(access::StoredLoginCipher().isEmpty());

    typeAndEnter(QStringLiteral("vorel"));
    EXPECT_TRUE(dialogs->take().empty());
    EXPECT_TRUE(fresh().isVisible());
    EXPECT_FALSE(freshLogin().isVisible());
    EXPECT_TRUE(fresh().CheckBox_JiaMi->isChecked());
    EXPECT_EQ(fresh().DBGrid1->model()->rowCount(), 3);
}

TEST_F(ProtectedGate, WrongPasswordsCountAndLockOutAsToday) {
    platform::trigger(fresh().Button_CheckLogin);
    typeAndEnter(QStringLiteral("wrong1"));
    EXPECT_EQ(freshLogin().Edit_Error->text(), QStringLiteral("1"));
    EXPECT_EQ(freshLogin().panelText(), QStringLiteral("密码错误...1次"));
    typeAndEnter(QStringLiteral("Vorel"));
    EXPECT_EQ(freshLogin().panelText(), QStringLiteral("密码错误...2次"));
    EXPECT_TRUE(dialogs->take().empty());
    EXPECT_FALSE(fresh().ADOConnection1->hasDatabaseKey());
    typeAndEnter(QStringLiteral("wrong3"));
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("由于您多次输入了无效的密码程序将要退出...")});
    EXPECT_TRUE(fresh().closed());
}

TEST_F(ProtectedGate, AFileOfTheWrongKindGivesTheEnginesError) {
    // A protected file's salt over a file without the program's tables: it opens, and the
    // gate's statement fails with the engine's text.
    {
        const QString key = store::protectedFileKey(QStringLiteral("vorel"), databasePath());
        store::SqlCipherFile(databasePath(), key).execute(QStringLiteral("DROP TABLE Pass;"));
    }
    platform::trigger(fresh().Button_CheckLogin);
    typeAndEnter(QStringLiteral("vorel"));
    const std::vector<platform::Dialogs::Box> boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, platform::Dialogs::Icon::Error);
    EXPECT_TRUE(boxes[0].text.contains(QStringLiteral("no such table: Pass"))) << boxes[0].text.toStdString();
    EXPECT_EQ(freshLogin().Edit_Error->text(), QStringLiteral("0"));
    EXPECT_FALSE(fresh().isVisible());

    // The next try opens the file anew and meets the same error: no key is kept from the last.
    EXPECT_FALSE(fresh().ADOConnection1->hasDatabaseKey());
    typeAndEnter(QStringLiteral("vorel"));
    const std::vector<platform::Dialogs::Box> again = dialogs->take();
    ASSERT_EQ(again.size(), 1u);
    EXPECT_TRUE(again[0].text.contains(QStringLiteral("no such table: Pass")));
    EXPECT_EQ(freshLogin().Edit_Error->text(), QStringLiteral("0"));
}

}  // namespace
