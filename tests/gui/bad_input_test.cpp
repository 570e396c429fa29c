// Bad input and bad surroundings: very long and unusual field texts go in through "添加" and come
// back whole through a cell click; a database file that cannot be read, an application
// directory that cannot be written and a settings file of garbage each give a clear message
// (or the defaults) and lose nothing.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <random>

#include "access/Unit_Login.h"
#include "app/Program.h"
#include "app/Unit1.h"
#include "cipher/Unit_Orvel_DESCrypt.h"
#include "platform/base/AppInfo.h"
#include "platform/desktop/Guard.h"
#include "store/ConnectionString.h"
#include "store/InitialDatabase.h"
#include "store/RecordFields.h"
#include "store/SqlCipherFile.h"
#include "tests/support/AccountPage.h"
#include "tests/support/FileBytes.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScopedPermissionChecks.h"

using namespace tessavo;

namespace {

using Box = platform::Dialogs::Box;
using Icon = platform::Dialogs::Icon;

QString databasePassword() { return QString::fromUtf16(store::kDatabasePassword); }

// Deterministic bytes that are no file format.
std::string garbageBytes(std::size_t size) {
    std::mt19937 random(1230);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
    bytes[0] = '\x13';  // no byte-order mark, no header of any known format
    return bytes;
}

// `count` characters cycling through ASCII, Chinese, a character beyond the basic plane (two
// code units) and a quote.
QString longText(int count) {
    const QString pieces = QStringLiteral("abc 账号密码'😀Z");
    QString text;
    while (text.size() < count) text += pieces;
    text.truncate(count);
    if (text.back().isHighSurrogate()) text.back() = u'x';
    return text;
}

// Lines of notes as typed into the memo, a little over a megabyte in the 8-bit code page.
QString megabyteNotes() {
    QString notes;
    for (int line = 0; notes.size() < 1000000; ++line)
        notes += QStringLiteral("第%1行 notes, 备注 and some more text to fill the line\n").arg(line);
    return notes;
}

// A control character of every kind but NUL, which the text cipher ends a text at.
QString controlCharacters() {
    QString text;
    for (char16_t c = 1; c < 0x20; ++c)
        if (c != u'\n' && c != u'\r') text += QChar(c);
    return text + QChar(0x7F);
}

// ---- Texts that go in through "添加" and come back through a cell click

struct RoundTripCase {
    const char* name;
    QString title;
    QString account;
    QString password;
    QString address;
    QString notes;  // as typed: lines end in "\n"
};

void PrintTo(const RoundTripCase& c, std::ostream* out) { *out << c.name; }

class FieldTextsRoundTrip : public test::AccountPage, public testing::WithParamInterface<RoundTripCase> {
protected:
    void SetUp() override {
        AccountPage::SetUp();
        // One record used more than any new one, so the new record is the grid's last row.
        logInWith({{QStringLiteral("常用分类"),
                    QStringLiteral("first"),
                    QStringLiteral("a"),
                    QStringLiteral("p"),
                    {},
                    {},
                    5}});
    }
};

TEST_P(FieldTextsRoundTrip, AreStoredAndShownWhole) {
    const RoundTripCase& c = GetParam();
    main().Edit_FenLei->setCurrentIndex(0);
    main().Edit_BiaoTi->setText(c.title);
    main().Edit_ZhangHao->setText(c.account);
    main().Edit_MiMa->setText(c.password);
    main().Edit_WangZhi->setText(c.address);
    main().Memo_BeiZhu->setPlainText(c.notes);
    // The editor holds what was typed: the test's texts fit its fields.
    ASSERT_EQ(main().Edit_BiaoTi->text(), c.title);
    ASSERT_EQ(main().Edit_MiMa->text(), c.password);
    QTest::mouseClick(main().Button1, Qt::LeftButton);
    ASSERT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("添加成功.")});

    const std::vector<test::StoredRow> rows = test::storedRows(connection());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].标题, c.title);
    EXPECT_EQ(rows[1].帐号, c.account);
    EXPECT_EQ(rows[1].网址, c.address);
    EXPECT_EQ(store::decryptAccountText(rows[1].密码), c.password);
    EXPECT_EQ(store::decryptAccountText(rows[1].备注), store::notesWithWindowsLineBreaks(c.notes));

    clickRow(gridRows() - 1);
    EXPECT_EQ(main().Edit_BianHao->text(), rows[1].编号);
    EXPECT_EQ(main().Edit_BiaoTi->text(), c.title);
    EXPECT_EQ(main().Edit_ZhangHao->text(), c.account);
    EXPECT_EQ(main().Edit_WangZhi->text(), c.address);
    EXPECT_EQ(main().Edit_MiMa->text(), c.password);
    EXPECT_EQ(main().Edit_MiMa_Temp->text(), c.password);
    EXPECT_EQ(main().Memo_BeiZhu->toPlainText(), c.notes);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FieldTextsRoundTrip,
    testing::Values(
        RoundTripCase{"megabyteNotes",
                      QStringLiteral("big notes"),
                      QStringLiteral("a"),
                      QStringLiteral("p"),
                      {},
                      megabyteNotes()},
        RoundTripCase{"tenThousandCharacterTitle", longText(10000), QStringLiteral("a"), QStringLiteral("p"), {}, {}},
        RoundTripCase{
            "longPasswordAndAccount", QStringLiteral("t"), longText(3000), longText(5000), longText(2000), {}},
        RoundTripCase{"controlCharacters", QStringLiteral("t") + controlCharacters(),
                      controlCharacters() + QStringLiteral("user"), QStringLiteral("p") + controlCharacters(),
                      QStringLiteral("http://x/") + controlCharacters(),
                      controlCharacters() + QStringLiteral("\nsecond line\t\x01\n\nlast")},
        RoundTripCase{"quotesAndPatternCharacters", QStringLiteral("it's 100% _done_ ''"), QStringLiteral("o'neil"),
                      QStringLiteral("p'%_\"\\"), QStringLiteral("http://x/?a='1'"), QStringLiteral("'\n'")}),
    [](const testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

// ---- A database file that cannot be read

struct DatabaseFaultCase {
    const char* name;
    std::function<void(const QString& path)> spoil;
    const char* engineText;
    // Mends the file while the program runs; none where only a new start could read it again
    // (the open connection keeps the key it derived from the file it first saw).
    std::function<void(const QString& path)> mend;
};

void PrintTo(const DatabaseFaultCase& c, std::ostream* out) { *out << c.name; }

class UnreadableDatabase : public test::ProgramFixture, public testing::WithParamInterface<DatabaseFaultCase> {
protected:
    QString databasePath() const { return appDir() + QString::fromUtf16(store::kDatabaseFileName); }
};

TEST_P(UnreadableDatabase, TheGateExplainsTheEnginesErrorAndShowsNoWindowAndLeavesTheFileAsItWas) {
    const DatabaseFaultCase& c = GetParam();
    c.spoil(databasePath());
    const std::string before = test::readBytes(databasePath());

    platform::trigger(main().Button_CheckLogin);

    const std::vector<Box> boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, Icon::Error);
    EXPECT_EQ(boxes[0].title, applicationTitle());
    // A sentence in the user's language first, naming the file and the folder of the backups, then
    // the engine's own words.
    const QString explanation =
        QStringLiteral(
            "数据库文件 %1 已损坏，或者不是本程序的文件；备份（名字中带 _bak_ 的 .udb 文件）在文件夹 %2 中。\n")
            .arg(databasePath(), appDir());
    EXPECT_TRUE(boxes[0].text.startsWith(explanation)) << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.endsWith(QString::fromUtf8(c.engineText))) << boxes[0].text.toStdString();
    EXPECT_FALSE(main().isVisible());
    EXPECT_FALSE(login().isVisible());
    EXPECT_FALSE(main().closed());
    EXPECT_EQ(test::readBytes(databasePath()), before);

    // Once the file is mended, the tray's show command runs the gate anew.
    if (!c.mend) return;
    c.mend(databasePath());
    platform::trigger(main().ShowME);
    EXPECT_TRUE(dialogs->take().empty());
    EXPECT_TRUE(login().isVisible());
}

void writeGarbage(const QString& path) { ASSERT_TRUE(test::writeBytes(path, garbageBytes(8192))); }

void makeEmpty(const QString& path) { ASSERT_TRUE(test::writeBytes(path, {})); }

void encryptUnderAnotherPassword(const QString& path) {
    ASSERT_TRUE(QFile::remove(path));
    store::SqlCipherFile other(path, QStringLiteral("another password"), store::SqlCipherFile::Mode::CreateNew);
    other.execute(QStringLiteral("CREATE TABLE Pass (密码 TEXT); INSERT INTO Pass VALUES ('00');"));
}

void dropTablePass(const QString& path) {
    store::SqlCipherFile(path, databasePassword()).execute(QStringLiteral("DROP TABLE Pass;"));
}

// A sound initial database copied over the file in place, as cp does.
void copyInitialDatabaseOver(const QString& path) {
    QTemporaryDir directory;
    ASSERT_TRUE(test::writeBytes(path, test::readBytes(store::createInitialDatabase(directory.path()))));
}

void addTablePass(const QString& path) {
    const QString cipher = QString::fromStdString(cipher::DesEncryptToHex("vorel", cipher::LoginKey()));
    store::SqlCipherFile(path, databasePassword())
        .execute(QStringLiteral("CREATE TABLE Pass (密码 TEXT); INSERT INTO Pass VALUES ('%1');").arg(cipher));
}

INSTANTIATE_TEST_SUITE_P(
    Table, UnreadableDatabase,
    testing::Values(DatabaseFaultCase{"notADatabase", writeGarbage, "file is encrypted or is not a database",
                                      copyInitialDatabaseOver},
                    DatabaseFaultCase{"wrongPassword", encryptUnderAnotherPassword,
                                      "file is encrypted or is not a database", copyInitialDatabaseOver},
                    DatabaseFaultCase{"missingPassTable", dropTablePass, "no such table: Pass", addTablePass},
                    DatabaseFaultCase{"emptyFile", makeEmpty, "no such table: Pass", nullptr}),
    [](const testing::TestParamInfo<DatabaseFaultCase>& info) { return std::string(info.param.name); });

// ---- An application directory nobody may write to

class ReadOnlyApplicationDirectory : public test::AccountPage {
protected:
    void SetUp() override {
        AccountPage::SetUp();
        logInWith({{QStringLiteral("常用分类"), QStringLiteral("first"), QStringLiteral("a"), QStringLiteral("p"),
                    QStringLiteral("notes"), QStringLiteral("http://a"), 5}});
        readOnly_ = std::make_unique<test::ScopedReadOnlyDirectory>(QDir(appDir()).absolutePath());
    }
    void TearDown() override {
        readOnly_.reset();
        AccountPage::TearDown();
    }
    void makeWritable() { readOnly_.reset(); }
    QString databasePath() const { return appDir() + QString::fromUtf16(store::kDatabaseFileName); }

    void typeRecord() {
        main().Edit_FenLei->setCurrentIndex(0);
        main().Edit_BiaoTi->setText(QStringLiteral("new title"));
        main().Edit_ZhangHao->setText(QStringLiteral("new account"));
        main().Edit_MiMa->setText(QStringLiteral("new password"));
        main().Memo_BeiZhu->setPlainText(QStringLiteral("new notes"));
    }

    // The one box shown since the last look: the standard error box.
    void expectErrorBox() {
        const std::vector<Box> boxes = dialogs->take();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].icon, Icon::Error);
        EXPECT_EQ(boxes[0].title, applicationTitle());
        EXPECT_FALSE(boxes[0].text.isEmpty());
    }

private:
    std::unique_ptr<test::ScopedReadOnlyDirectory> readOnly_;
};

TEST_F(ReadOnlyApplicationDirectory, AnAddIsRefusedWithTheErrorAndTheEditorKeepsTheRecordForTheNextTry) {
    typeRecord();
    QTest::mouseClick(main().Button1, Qt::LeftButton);
    expectErrorBox();
    EXPECT_EQ(test::storedRows(connection()).size(), 1u);
    EXPECT_EQ(main().Edit_BiaoTi->text(), QStringLiteral("new title"));
    EXPECT_EQ(main().Edit_MiMa->text(), QStringLiteral("new password"));
    EXPECT_EQ(main().Memo_BeiZhu->toPlainText(), QStringLiteral("new notes"));

    makeWritable();
    QTest::mouseClick(main().Button1, Qt::LeftButton);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("添加成功.")});
    const std::vector<test::StoredRow> rows = test::storedRows(connection());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].标题, QStringLiteral("new title"));
}

TEST_F(ReadOnlyApplicationDirectory, ACellClickStillShowsTheRecordBeforeTheCounterUpdateFails) {
    clickRow(0);
    expectErrorBox();
    EXPECT_EQ(main().Edit_BiaoTi->text(), QStringLiteral("first"));
    EXPECT_EQ(main().Edit_MiMa_Temp->text(), QStringLiteral("p"));
    EXPECT_EQ(test::storedRows(connection()).at(0).统计, QStringLiteral("5"));
}

TEST_F(ReadOnlyApplicationDirectory, SavingTheTypingModeSaysTheFileCannotBeWritten) {
    QTest::mouseClick(main().Button6, Qt::LeftButton);
    const std::vector<Box> boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, Icon::Error);
    EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("Unable to write to "))) << boxes[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(appDir() + QStringLiteral("Config.ini")));
}

TEST_F(ReadOnlyApplicationDirectory, ACompactionFailsAndLeavesTheDatabaseFileAsItWas) {
    const std::string before = test::readBytes(databasePath());
    QTest::mouseClick(main().Button11, Qt::LeftButton);
    EXPECT_EQ(dialogs->takeTexts(), std::vector<QString>{QStringLiteral("数据库压缩失败.")});
    EXPECT_EQ(test::readBytes(databasePath()), before);
    EXPECT_EQ(test::entriesOf(appDir()), QStringList{QStringLiteral("_.udb")});
}

// ---- A settings file that is no settings file

struct ConfigCase {
    const char* name;
    std::function<void(const QString& path)> make;
    bool savable;
};

void PrintTo(const ConfigCase& c, std::ostream* out) { *out << c.name; }

class UnusableConfigIni : public test::ProgramFixture, public testing::WithParamInterface<ConfigCase> {
protected:
    QString configPath() const { return appDir() + QStringLiteral("Config.ini"); }
};

TEST_P(UnusableConfigIni, GivesTheDefaultModeAndASaveKeepsWhatWasThere) {
    const ConfigCase& c = GetParam();
    c.make(configPath());
    const std::string before = test::readBytes(configPath());

    app::Program next(appDir());
    EXPECT_TRUE(dialogs->take().empty());
    EXPECT_TRUE(next.main().RadioButton_IntoPass2->isChecked());  // keystroke mode, as without the file

    QTest::mouseClick(next.main().RadioButton_IntoPass1, Qt::LeftButton);
    QTest::mouseClick(next.main().Button6, Qt::LeftButton);
    const std::vector<Box> boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 1u);
    if (c.savable) {
        EXPECT_EQ(boxes[0].text, QStringLiteral("配置保存成功！"));
        // Every byte of the old file is still there, the two keys after it.
        EXPECT_TRUE(test::readBytes(configPath()).starts_with(before));
        app::Program third(appDir());
        EXPECT_TRUE(third.main().RadioButton_IntoPass1->isChecked());
    } else {
        EXPECT_EQ(boxes[0].icon, Icon::Error);
        EXPECT_TRUE(boxes[0].text.startsWith(QStringLiteral("Unable to write to "))) << boxes[0].text.toStdString();
        EXPECT_EQ(test::readBytes(configPath()), before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, UnusableConfigIni,
    testing::Values(ConfigCase{"binaryGarbage",
                               [](const QString& path) { ASSERT_TRUE(test::writeBytes(path, garbageBytes(4096))); },
                               true},
                    ConfigCase{"garbageLargerThanASettingsFile",
                               [](const QString& path) { ASSERT_TRUE(test::writeBytes(path, garbageBytes(3 << 20))); },
                               false},
                    ConfigCase{"aDirectory", [](const QString& path) { ASSERT_TRUE(QDir().mkdir(path)); }, false}),
    [](const testing::TestParamInfo<ConfigCase>& info) { return std::string(info.param.name); });

}  // namespace
