// The statement catalogue: exact texts (double blanks included), quote doubling, and the
// refusal of anything but digits where a record number stands without quotes.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <functional>

#include "platform/base/Error.h"
#include "store/Statements.h"

namespace tessavo::store {
namespace {

store::AccountRecord sampleRecord() {
    AccountRecord record;
    record.编号 = 99;  // not written by any statement
    record.分类 = QStringLiteral("网站帐号");
    record.标题 = QStringLiteral("邮箱");
    record.网址 = QStringLiteral("http://mail.example");
    record.帐号 = QStringLiteral("zhang");
    record.密码 = QStringLiteral("0A1B2C3D4E5F6071");
    record.备注 = QStringLiteral("8899AABBCCDDEEFF");
    record.统计 = 7;
    return record;
}

struct TextCase {
    const char* name;
    std::function<QString()> build;
    const char16_t* expected;
};

class CatalogueText : public testing::TestWithParam<TextCase> {};

TEST_P(CatalogueText, IsExact) { EXPECT_EQ(GetParam().build(), QString::fromUtf16(GetParam().expected)); }

INSTANTIATE_TEST_SUITE_P(
    Statements, CatalogueText,
    testing::Values(
        TextCase{"browseByUse", sql::browseByUse,
                 u"Select 编号,分类,网址,标题,帐号,密码,备注 from data  order by 统计 desc"},
        TextCase{"search", [] { return sql::searchRecords(QStringLiteral("标题"), QStringLiteral("邮")); },
                 u"Select  编号,分类,网址,标题,帐号,密码,备注  from data where 标题 like '%邮%' "},
        TextCase{"browseAllColumns", sql::browseAllColumns, u"Select * from data"},
        TextCase{"browseCategory", [] { return sql::browseCategory(QStringLiteral("网站帐号")); },
                 u"Select  编号,分类,网址,标题,帐号,密码,备注  from data where 分类='网站帐号'   order by 统计 desc"},
        TextCase{"browseUnsorted", sql::browseUnsorted, u"Select  编号,分类,网址,标题,帐号,密码,备注  from data"},
        TextCase{"raiseUseCount", [] { return sql::raiseUseCount(QStringLiteral("42")); },
                 u"update data  set 统计=统计+1 where  编号=42"},
        TextCase{"setUseCount", [] { return sql::setUseCount(QStringLiteral("42"), 1234567890123); },
                 u"update data  set 统计=1234567890123 where  编号=42"},
        TextCase{"insertRecord", [] { return sql::insertRecord(sampleRecord()); },
                 u"Insert into data (分类,标题,网址,帐号,密码,备注) values "
                 u"('网站帐号','邮箱','http://mail.example','zhang','0A1B2C3D4E5F6071','8899AABBCCDDEEFF')"},
        TextCase{"insertCategoryPlaceholder",
                 [] {
                     return sql::insertCategoryPlaceholder(QStringLiteral("游戏帐号"),
                                                           QStringLiteral("ABCDEF0123456789"));
                 },
                 u"Insert into data (分类,标题,网址,帐号,密码) values "
                 u"('游戏帐号','标题','http://','账号','ABCDEF0123456789')"},
        TextCase{"deleteCategory", [] { return sql::deleteCategory(QStringLiteral("游戏帐号")); },
                 u"delete from data where 分类='游戏帐号' "},
        TextCase{"deleteAllRecords", sql::deleteAllRecords, u"delete from data"},
        TextCase{"browseAfterClear", sql::browseAfterClear, u"select * from data"},
        TextCase{"readManagementPassword", sql::readManagementPassword, u"Select 密码 from Pass"},
        TextCase{"writeManagementPassword", [] { return sql::writeManagementPassword(QStringLiteral("F00D")); },
                 u"update Pass  set 密码='F00D' "}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

TEST(StatementLines, ModifyIsSevenLinesWithExactSpacing) {
    const QStringList expected = {
        QStringLiteral("update data  set 分类='网站帐号' "),
        QStringLiteral(", 网址='http://mail.example' "),
        QStringLiteral(", 标题='邮箱' "),
        QStringLiteral(", 帐号='zhang' "),
        QStringLiteral(", 密码='0A1B2C3D4E5F6071' "),
        QStringLiteral(", 备注='8899AABBCCDDEEFF' "),
        QStringLiteral("where  编号=17"),
    };
    EXPECT_EQ(sql::modifyRecord(sampleRecord(), QStringLiteral("17")), expected);
}

TEST(StatementLines, RenameIsTwoLinesWithExactSpacing) {
    const QStringList expected = {QStringLiteral("update data  set 分类='新名称abc' "),
                                  QStringLiteral("where  分类='旧名称abc' ")};
    EXPECT_EQ(sql::renameCategory(QStringLiteral("新名称abc"), QStringLiteral("旧名称abc")), expected);
}

TEST(StatementQuotes, EverySingleQuoteInATextValueIsDoubled) {
    EXPECT_EQ(sql::quotedText(QStringLiteral("it's 'x''")), QStringLiteral("it''s ''x''''"));
    AccountRecord record = sampleRecord();
    record.标题 = QStringLiteral("O'Brien");
    record.帐号 = QStringLiteral("a'b");
    EXPECT_TRUE(sql::insertRecord(record).contains(QStringLiteral("'O''Brien','http://mail.example','a''b'")));
    EXPECT_EQ(sql::modifyRecord(record, QStringLiteral("1")).at(2), QStringLiteral(", 标题='O''Brien' "));
    EXPECT_EQ(sql::searchRecords(QStringLiteral("帐号"), QStringLiteral("'")),
              QStringLiteral("Select  编号,分类,网址,标题,帐号,密码,备注  from data where 帐号 like '%''%' "));
    EXPECT_EQ(sql::deleteCategory(QStringLiteral("a'")), QStringLiteral("delete from data where 分类='a''' "));
    EXPECT_EQ(sql::renameCategory(QStringLiteral("n'"), QStringLiteral("o'")),
              QStringList({QStringLiteral("update data  set 分类='n''' "), QStringLiteral("where  分类='o''' ")}));
}

class RecordNumberRefused : public testing::TestWithParam<const char16_t*> {};

TEST_P(RecordNumberRefused, InEveryStatementThatNamesARow) {
    const QString number = QString::fromUtf16(GetParam());
    EXPECT_THROW(sql::recordNumber(number), Error);
    EXPECT_THROW(sql::raiseUseCount(number), Error);
    EXPECT_THROW(sql::setUseCount(number, 1), Error);
    EXPECT_THROW(sql::modifyRecord(sampleRecord(), number), Error);
}

INSTANTIATE_TEST_SUITE_P(Statements, RecordNumberRefused,
                         testing::Values(u"", u" 1", u"1 ", u"-1", u"+1", u"1.0", u"0x1F", u"1 or 1=1",
                                         u"1;drop table data",
                                         u"１２"));  // full-width digits are not decimal digits here

TEST(RecordNumber, DecimalDigitsStandAsTheyAre) {
    EXPECT_EQ(sql::recordNumber(QStringLiteral("0")), QStringLiteral("0"));
    EXPECT_EQ(sql::recordNumber(QStringLiteral("1234567890")), QStringLiteral("1234567890"));
}

TEST(SearchColumn, OnlyColumnsOfDataStandInTheStatement) {
    for (const char16_t* column : {u"标题", u"网址", u"帐号", u"备注"})
        EXPECT_NO_THROW(sql::searchRecords(QString::fromUtf16(column), QStringLiteral("x")));
    for (const char16_t* column : {u"", u"标题 or 1=1 --", u"Pass", u"1"})
        EXPECT_THROW(sql::searchRecords(QString::fromUtf16(column), QStringLiteral("x")), Error);
}

}  // namespace
}  // namespace tessavo::store
