// Category names behind the account page: the case-folded set, the walk over a browse result,
// the checks of a typed name and the placeholder's password.
#include <gtest/gtest.h>

#include <string>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "store/Browse.h"
#include "store/CategoryNames.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/RecordFields.h"
#include "store/Statements.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempAppDir.h"

namespace tessavo::store {
namespace {

TEST(CategoryNamesTest, KeepsTheFirstFormOfEachNameAndSkipsEmptyOnes) {
    CategoryNames names;
    EXPECT_TRUE(names.add(QStringLiteral("Work Tools")));
    EXPECT_FALSE(names.add(QStringLiteral("work tools")));
    EXPECT_FALSE(names.add(QStringLiteral("WORK TOOLS")));
    EXPECT_FALSE(names.add(QString()));
    EXPECT_TRUE(names.add(QStringLiteral("常用邮箱")));
    EXPECT_FALSE(names.add(QStringLiteral("常用邮箱")));
    EXPECT_TRUE(names.add(QStringLiteral("Work Tools ")));  // a blank makes another name
    EXPECT_EQ(names.names(),
              (QStringList{QStringLiteral("Work Tools"), QStringLiteral("常用邮箱"), QStringLiteral("Work Tools ")}));
}

TEST(CategoryNamesTest, LooksUpWholeNamesIgnoringLetterCaseBeyondAscii) {
    const CategoryNames names(
        QStringList{QStringLiteral("Ärzte"), QStringLiteral("ΣΟΦΙΑ"), QStringLiteral("Mail"), QStringLiteral("Mail")});
    EXPECT_EQ(names.names().size(), 3);
    for (const QString& held :
         {QStringLiteral("ärzte"), QStringLiteral("ÄRZTE"), QStringLiteral("σοφια"), QStringLiteral("mAIL")})
        EXPECT_TRUE(names.contains(held)) << held.toStdString();
    for (const QString& other : {QStringLiteral("Arzte"), QStringLiteral("Mai"), QStringLiteral("Mail "), QString()})
        EXPECT_FALSE(names.contains(other)) << other.toStdString();
}

struct VerdictCase {
    QString name;
    CategoryNameVerdict verdict;
};

class CategoryNameCheck : public testing::TestWithParam<VerdictCase> {};

TEST_P(CategoryNameCheck, LengthInUtf16UnitsFirstThenTakenNamesIgnoringCase) {
    const CategoryNames existing(
        QStringList{QStringLiteral("常用邮箱"), QStringLiteral("Work Tools"), QStringLiteral("ab")});
    EXPECT_EQ(judgeCategoryName(GetParam().name, existing), GetParam().verdict);
}

INSTANTIATE_TEST_SUITE_P(Names, CategoryNameCheck,
                         testing::Values(VerdictCase{QString(), CategoryNameVerdict::Empty},
                                         VerdictCase{QStringLiteral("邮箱"), CategoryNameVerdict::TooShort},
                                         VerdictCase{QStringLiteral("常用邮"), CategoryNameVerdict::TooShort},
                                         VerdictCase{QStringLiteral("AB"),
                                                     CategoryNameVerdict::TooShort},  // short before taken
                                         VerdictCase{QStringLiteral("   "), CategoryNameVerdict::TooShort},
                                         VerdictCase{QStringLiteral("    "), CategoryNameVerdict::Accepted},
                                         VerdictCase{QStringLiteral("常用网站"), CategoryNameVerdict::Accepted},
                                         VerdictCase{QStringLiteral("😀"), CategoryNameVerdict::TooShort},
                                         VerdictCase{QStringLiteral("😀😀"), CategoryNameVerdict::Accepted},
                                         VerdictCase{QStringLiteral("常用邮箱"), CategoryNameVerdict::Taken},
                                         VerdictCase{QStringLiteral("work TOOLS"), CategoryNameVerdict::Taken},
                                         VerdictCase{QStringLiteral("Work Tool"), CategoryNameVerdict::Accepted}));

TEST(CategoryNameMessage, NamesTheRefusalAndSaysNothingOtherwise) {
    EXPECT_EQ(categoryNameMessage(CategoryNameVerdict::TooShort), QStringLiteral("分类名称必须大于等于4个字符"));
    EXPECT_EQ(categoryNameMessage(CategoryNameVerdict::Taken), QStringLiteral("该分类已经存在."));
    EXPECT_TRUE(categoryNameMessage(CategoryNameVerdict::Empty).isEmpty());
    EXPECT_TRUE(categoryNameMessage(CategoryNameVerdict::Accepted).isEmpty());
}

// ---- over a real database file

class CategoryWalk : public testing::Test {
protected:
    CategoryWalk() : connection_(app_.connectionString()), query_(connection_) { cipher::setAccountKey("40618253"); }

    void add(const QString& category, qint64 useCount) {
        AccountRecord record;
        record.分类 = category;
        record.标题 = QStringLiteral("t");
        record.统计 = useCount;
        app_.addRecord(record);
    }

    test::TempAppDir app_;
    Connection connection_;
    Query query_;
};

TEST_F(CategoryWalk, ListsTheCategoriesOfTheBrowseResultInUseOrder) {
    add(QStringLiteral("游戏账号"), 5);
    add(QStringLiteral("常用邮箱"), 9);
    add(QStringLiteral("work tools"), 1);
    add(QString(), 7);  // no value
    add(QStringLiteral(""), 6);
    add(QStringLiteral("常用邮箱"), 3);
    add(QStringLiteral("Work Tools"), 2);
    openBrowse(query_, sql::browseByUse());
    EXPECT_EQ(categoriesOf(*query_.result()).names(),
              (QStringList{QStringLiteral("常用邮箱"), QStringLiteral("游戏账号"), QStringLiteral("Work Tools")}));
    EXPECT_EQ(query_.recNo(), 1);  // the walk does not move the cursor
}

TEST_F(CategoryWalk, AnEmptyResultHasNoCategories) {
    openBrowse(query_, sql::browseByUse());
    EXPECT_TRUE(categoriesOf(*query_.result()).names().isEmpty());
    openBrowse(query_, QStringLiteral("select 1"));  // no category column at all
    EXPECT_TRUE(categoriesOf(*query_.result()).names().isEmpty());
}

TEST_F(CategoryWalk, ManyRowsInFewCategoriesGiveEachCategoryOnce) {
    std::vector<AccountRecord> records;
    for (int i = 0; i < 3000; ++i) {
        AccountRecord record;
        record.分类 = (i % 2 == 0 ? QStringLiteral("Cat") : QStringLiteral("CAT")) + QString::number(i % 30);
        record.统计 = 3000 - i;
        records.push_back(record);
    }
    app_.addRecords(records);
    openBrowse(query_, sql::browseByUse());
    const QStringList names = categoriesOf(*query_.result()).names();
    ASSERT_EQ(names.size(), 30);
    EXPECT_EQ(names.front(), QStringLiteral("Cat0"));
    EXPECT_EQ(names.at(1), QStringLiteral("CAT1"));
    EXPECT_EQ(names.back(), QStringLiteral("CAT29"));
}

TEST_F(CategoryWalk, ThePlaceholderPasswordIsTheCipherOfTheCodePageBytesOf密码) {
    const QString cipher = categoryPlaceholderPassword();
    EXPECT_EQ(cipher::DesDecryptFromHex(cipher.toStdString(), cipher::AccountKey()), std::string("\xC3\xDC\xC2\xEB"));
    EXPECT_EQ(decryptAccountText(cipher), QStringLiteral("密码"));
    cipher::setAccountKey("12345678");
    EXPECT_NE(categoryPlaceholderPassword(), cipher);  // made under the current AccountKey
    cipher::setAccountKey("40618253");
}

TEST_F(CategoryWalk, APlaceholderRecordReadsBackWithItsFixedTexts) {
    executeChange(query_,
                  {sql::insertCategoryPlaceholder(QStringLiteral("Bob's Sites"), categoryPlaceholderPassword())});
    openBrowse(query_, sql::browseByUse());
    const RecordFields fields = chosenRowFields(query_);
    EXPECT_EQ(fields.分类, QStringLiteral("Bob's Sites"));
    EXPECT_EQ(fields.标题, QStringLiteral("标题"));
    EXPECT_EQ(fields.网址, QStringLiteral("http://"));
    EXPECT_EQ(fields.帐号, QStringLiteral("账号"));
    EXPECT_EQ(fields.密码, QStringLiteral("密码"));
    EXPECT_TRUE(fields.备注.isEmpty());
}

}  // namespace
}  // namespace tessavo::store
