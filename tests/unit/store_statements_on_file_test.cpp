// Every statement of the catalogue run through the program's own query object on a file as the
// initial database code makes it: what each browse reads and in which order, and which rows each
// change touches. A column, table or order the file does not have, or a condition that reaches
// other rows, fails here; store_statements_test keeps the exact texts.
#include <gtest/gtest.h>

#include <QStringList>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "store/AccountRecord.h"
#include "store/Browse.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/Statements.h"
#include "tests/support/AccountRecords.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempAppDir.h"

namespace tessavo::store {
namespace {

const QStringList kBrowseColumns = {QStringLiteral("编号"), QStringLiteral("分类"), QStringLiteral("网址"),
                                    QStringLiteral("标题"), QStringLiteral("帐号"), QStringLiteral("密码"),
                                    QStringLiteral("备注")};
const QStringList kAllColumns = kBrowseColumns + QStringList{QStringLiteral("统计")};

// A record with fields made from its title, encrypted fields as the cipher would leave them.
AccountRecord recordTitled(const QString& category, const QString& title) {
    AccountRecord record;
    record.分类 = category;
    record.标题 = title;
    record.网址 = QStringLiteral("http://") + title + QStringLiteral(".example");
    record.帐号 = title + QStringLiteral("@mail");
    record.密码 = QStringLiteral("0A1B2C3D4E5F6071");
    record.备注 = QStringLiteral("8899AABBCCDDEEFF");
    return record;
}

void expectFieldsOf(const test::StoredRow& row, const AccountRecord& record) {
    EXPECT_EQ(row.分类, record.分类);
    EXPECT_EQ(row.标题, record.标题);
    EXPECT_EQ(row.网址, record.网址);
    EXPECT_EQ(row.帐号, record.帐号);
    EXPECT_EQ(row.密码, record.密码);
    EXPECT_EQ(row.备注, record.备注);
}

// Three records, by use: 甲 (5), 乙 (3), 丙 (1); 甲 and 乙 in 网站, 丙 in 游戏.
class CatalogueOnFile : public testing::Test {
protected:
    CatalogueOnFile() : connection_(app_.connectionString()), query_(connection_) {
        // The records' password and notes go in under the account key, as the main window sets it.
        cipher::setAccountKey(cipher::kAccountKeyText);
        const std::vector<qint64> numbers = test::storeRecords(
            connection_, {plain(u"网站", u"乙", 3), plain(u"网站", u"甲", 5), plain(u"游戏", u"丙", 1)});
        乙_ = QString::number(numbers[0]);
        甲_ = QString::number(numbers[1]);
        丙_ = QString::number(numbers[2]);
    }

    static test::PlainRecord plain(const char16_t* category, const char16_t* title, qint64 useCount) {
        const QString name = QString::fromUtf16(title);
        return {QString::fromUtf16(category),
                name,
                name + QStringLiteral("@mail"),
                QStringLiteral("pw-") + name,
                QStringLiteral("note-") + name,
                QStringLiteral("http://") + name + QStringLiteral(".example"),
                useCount};
    }

    // The rows the statement opens: the column names, and the 标题 of each row in the result's order.
    struct Opened {
        QStringList columns;
        QStringList titles;
    };
    Opened open(const QString& statement) {
        openBrowse(query_, statement);
        Opened opened{query_.fieldNames(), {}};
        for (query_.first(); !query_.eof(); query_.next())
            opened.titles.append(query_.fieldByName(QStringLiteral("标题")));
        query_.close();
        return opened;
    }

    int change(const QStringList& lines) { return executeChange(query_, lines); }

    std::vector<test::StoredRow> rows() { return test::storedRows(connection_); }
    test::StoredRow row(const QString& number) { return test::storedRow(connection_, number.toLongLong()); }
    QStringList titlesInFile() {
        QStringList titles;
        for (const test::StoredRow& stored : rows()) titles.append(stored.标题);
        return titles;
    }
    QString managementPasswordCipher() {
        openBrowse(query_, sql::readManagementPassword());
        EXPECT_EQ(query_.recordCount(), 1);
        const QString cipher = query_.field(0);
        query_.close();
        return cipher;
    }

    test::TempAppDir app_;
    Connection connection_;
    Query query_;
    QString 甲_, 乙_, 丙_;
};

// ---- What the browse statements read

struct BrowseCase {
    const char* name;
    std::function<QString()> statement;
    QStringList columns;
    QStringList titles;  // in the result's order
    bool ordered;        // false: the statement names no order, so only the set counts
};

void PrintTo(const BrowseCase& c, std::ostream* out) { *out << c.name; }

class CatalogueBrowse : public CatalogueOnFile, public testing::WithParamInterface<BrowseCase> {};

TEST_P(CatalogueBrowse, ReadsTheRightRowsAndColumns) {
    const BrowseCase& c = GetParam();
    Opened opened = open(c.statement());
    EXPECT_EQ(opened.columns, c.columns);
    QStringList expected = c.titles;
    if (!c.ordered) {
        opened.titles.sort();
        expected.sort();
    }
    EXPECT_EQ(opened.titles, expected);
}

QStringList titles(std::initializer_list<const char16_t*> names) {
    QStringList list;
    for (const char16_t* name : names) list.append(QString::fromUtf16(name));
    return list;
}

INSTANTIATE_TEST_SUITE_P(
    Statements, CatalogueBrowse,
    testing::Values(
        BrowseCase{"browseByUse", sql::browseByUse, kBrowseColumns, titles({u"甲", u"乙", u"丙"}), true},
        BrowseCase{"browseCategory", [] { return sql::browseCategory(QStringLiteral("网站")); }, kBrowseColumns,
                   titles({u"甲", u"乙"}), true},
        BrowseCase{"browseCategoryOfNoRow",
                   [] { return sql::browseCategory(QStringLiteral("网")); },
                   kBrowseColumns,
                   {},
                   true},
        BrowseCase{"browseUnsorted", sql::browseUnsorted, kBrowseColumns, titles({u"甲", u"乙", u"丙"}), false},
        BrowseCase{"browseAllColumns", sql::browseAllColumns, kAllColumns, titles({u"甲", u"乙", u"丙"}), false},
        BrowseCase{"browseAfterClear", sql::browseAfterClear, kAllColumns, titles({u"甲", u"乙", u"丙"}), false},
        BrowseCase{"searchTitle", [] { return sql::searchRecords(QStringLiteral("标题"), QStringLiteral("丙")); },
                   kBrowseColumns, titles({u"丙"}), true},
        BrowseCase{"searchAddress",
                   [] { return sql::searchRecords(QStringLiteral("网址"), QStringLiteral("乙.exam")); }, kBrowseColumns,
                   titles({u"乙"}), true},
        BrowseCase{"searchAccount", [] { return sql::searchRecords(QStringLiteral("帐号"), QStringLiteral("@mail")); },
                   kBrowseColumns, titles({u"甲", u"乙", u"丙"}), false},
        BrowseCase{"searchWithAQuote",
                   [] { return sql::searchRecords(QStringLiteral("标题"), QStringLiteral("'")); },
                   kBrowseColumns,
                   {},
                   true}),
    [](const testing::TestParamInfo<BrowseCase>& info) { return std::string(info.param.name); });

TEST_F(CatalogueOnFile, TheManagementPasswordIsTheOneRowOfPass) {
    EXPECT_FALSE(managementPasswordCipher().isEmpty());
    EXPECT_EQ(change({sql::writeManagementPassword(QStringLiteral("F00D"))}), 1);
    EXPECT_EQ(managementPasswordCipher(), QStringLiteral("F00D"));
}

// ---- Which rows the changes touch

TEST_F(CatalogueOnFile, UseCountsChangeOnTheNamedRowOnly) {
    EXPECT_EQ(change({sql::raiseUseCount(丙_)}), 1);
    EXPECT_EQ(change({sql::setUseCount(乙_, 1234567890123)}), 1);
    EXPECT_EQ(row(丙_).统计, QStringLiteral("2"));
    EXPECT_EQ(row(乙_).统计, QStringLiteral("1234567890123"));
    EXPECT_EQ(row(甲_).统计, QStringLiteral("5"));
}

TEST_F(CatalogueOnFile, InsertAddsOneRowWithTheGivenFieldsAndNoUse) {
    AccountRecord record = recordTitled(QStringLiteral("邮箱"), QStringLiteral("O'Brien"));
    record.帐号 = QStringLiteral("a'b");
    record.统计 = 7;  // not written
    EXPECT_EQ(change({sql::insertRecord(record)}), 1);
    EXPECT_EQ(rows().size(), 4u);
    expectFieldsOf(rows().back(), record);
    EXPECT_EQ(rows().back().统计, QStringLiteral("0"));
}

TEST_F(CatalogueOnFile, ModifyChangesEveryFieldButTheUseOfTheNamedRowOnly) {
    const test::StoredRow 乙Before = row(乙_);
    const AccountRecord record = recordTitled(QStringLiteral("新分类"), QStringLiteral("新标题"));
    EXPECT_EQ(change(sql::modifyRecord(record, 甲_)), 1);
    expectFieldsOf(row(甲_), record);
    EXPECT_EQ(row(甲_).统计, QStringLiteral("5"));
    EXPECT_EQ(row(乙_).标题, 乙Before.标题);
    EXPECT_EQ(row(乙_).密码, 乙Before.密码);
}

TEST_F(CatalogueOnFile, ThePlaceholderOfANewCategoryHasItsFixedTexts) {
    EXPECT_EQ(change({sql::insertCategoryPlaceholder(QStringLiteral("新类"), QStringLiteral("ABCD"))}), 1);
    const test::StoredRow added = rows().back();
    EXPECT_EQ(added.分类, QStringLiteral("新类"));
    EXPECT_EQ(added.标题, QStringLiteral("标题"));
    EXPECT_EQ(added.网址, QStringLiteral("http://"));
    EXPECT_EQ(added.帐号, QStringLiteral("账号"));
    EXPECT_EQ(added.密码, QStringLiteral("ABCD"));
    EXPECT_FALSE(added.备注HasValue);
}

TEST_F(CatalogueOnFile, RenameAndDeleteReachEveryRowOfTheCategoryAndNoOther) {
    EXPECT_EQ(change(sql::renameCategory(QStringLiteral("新名"), QStringLiteral("网站"))), 2);
    EXPECT_EQ(row(甲_).分类, QStringLiteral("新名"));
    EXPECT_EQ(row(乙_).分类, QStringLiteral("新名"));
    EXPECT_EQ(row(丙_).分类, QStringLiteral("游戏"));
    EXPECT_EQ(change({sql::deleteCategory(QStringLiteral("新名"))}), 2);
    EXPECT_EQ(titlesInFile(), titles({u"丙"}));
}

TEST_F(CatalogueOnFile, ClearingAllRecordsEmptiesDataAndKeepsPass) {
    const QString password = managementPasswordCipher();
    EXPECT_EQ(change({sql::deleteAllRecords()}), 3);
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(managementPasswordCipher(), password);
}

}  // namespace
}  // namespace tessavo::store
