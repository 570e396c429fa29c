// Query objects over a real SQLCipher file: statement text, open and execute, navigation and
// the end flags, fields, deleting the current row, and the results closing when they should.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <string>

#include "platform/base/Error.h"
#include "store/AccountRecord.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/Statements.h"
#include "tests/support/ErrorText.h"
#include "tests/support/TempAppDir.h"

namespace tessavo::store {
namespace {

AccountRecord record(const QString& category, const QString& title, qint64 useCount) {
    AccountRecord r;
    r.分类 = category;
    r.网址 = QStringLiteral("http://") + title;
    r.标题 = title;
    r.帐号 = title + QStringLiteral("@mail");
    r.密码 = QStringLiteral("0123456789ABCDEF");
    r.备注 = QStringLiteral("FEDCBA9876543210");
    r.统计 = useCount;
    return r;
}

class QueryTest : public testing::Test {
protected:
    QueryTest() : connection_(app_.connectionString()), query_(connection_) {
        query_.setObjectName(QStringLiteral("ADOQuery1"));
    }

    // Three records; by use: 甲 (5), 乙 (3), 丙 (1).
    void addThree() {
        numbers_ = app_.addRecords({record(QStringLiteral("网站"), QStringLiteral("乙"), 3),
                                    record(QStringLiteral("网站"), QStringLiteral("甲"), 5),
                                    record(QStringLiteral("游戏"), QStringLiteral("丙"), 1)});
    }

    void openBrowse() {
        query_.close();
        query_.clearSql();
        query_.addSql(sql::browseByUse());
        query_.open();
    }

    int execute(const QString& statement) {
        query_.clearSql();
        query_.addSql(statement);
        return query_.execute();
    }

    int countRows(const QString& where = {}) {
        Query count(connection_);
        count.setSql(QStringLiteral("select count(*) from data ") + where);
        count.open();
        return count.field(0).toInt();
    }

    test::TempAppDir app_;
    Connection connection_;
    Query query_;
    std::vector<qint64> numbers_;
};

// ---- Statement text

TEST_F(QueryTest, EveryLineReachesTheEngineEndedByCarriageReturnAndLineFeed) {
    query_.addSql(QStringLiteral("Select 密码 from Pass -- the gate's read"));
    query_.addSql(QStringLiteral("where 1 = 0"));
    EXPECT_EQ(query_.statementText(), QStringLiteral("Select 密码 from Pass -- the gate's read\r\nwhere 1 = 0\r\n"));
    // Were the lines not separated, the comment would swallow the condition.
    query_.open();
    EXPECT_EQ(query_.recordCount(), 0);
}

TEST_F(QueryTest, SetSqlTakesTheLinesOfAText) {
    query_.setSql(QStringLiteral("a\r\nb\nc\n"));
    EXPECT_EQ(query_.sql(), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    query_.setSql(QStringList{QStringLiteral("x")});
    EXPECT_EQ(query_.statementText(), QStringLiteral("x\r\n"));
    query_.clearSql();
    EXPECT_TRUE(query_.statementText().isEmpty());
}

TEST_F(QueryTest, ASecondStatementInTheTextIsRefusedAndNothingRuns) {
    addThree();
    for (const QString& text : {QStringLiteral("delete from data; delete from Pass"),
                                QStringLiteral("select 1;\r\nselect 2"), QStringLiteral("delete from data;;x")}) {
        query_.setSql(text);
        EXPECT_THROW(query_.execute(), Error) << text.toStdString();
    }
    EXPECT_EQ(countRows(), 3);
    query_.setSql(QStringLiteral("select 1; -- a closing remark"));
    EXPECT_NO_THROW(query_.open());
}

TEST_F(QueryTest, AnEmptyTextAndAChangeOpenedAsAResultAreRefused) {
    EXPECT_THROW(query_.open(), Error);
    EXPECT_THROW(query_.execute(), Error);
    addThree();
    query_.setSql(sql::deleteAllRecords());
    EXPECT_THROW(query_.open(), Error);
    EXPECT_FALSE(query_.isOpen());
}

// ---- Running

TEST_F(QueryTest, ExecuteReturnsTheRowsChanged) {
    addThree();
    EXPECT_EQ(execute(sql::raiseUseCount(QString::number(numbers_[0]))), 1);
    EXPECT_EQ(execute(sql::deleteCategory(QStringLiteral("网站"))), 2);
    EXPECT_EQ(execute(sql::deleteCategory(QStringLiteral("网站"))), 0);
    EXPECT_EQ(execute(sql::browseAllColumns()), 0) << "a query changes nothing";
    EXPECT_EQ(execute(sql::deleteAllRecords()), 1);
}

TEST_F(QueryTest, AnEngineErrorChangesNothingAndLeavesTheResultClosed) {
    addThree();
    openBrowse();
    query_.clearSql();
    query_.addSql(QStringLiteral("update data set 统计 = 统计 + 1 where nosuchcolumn = 1"));
    EXPECT_EQ(test::errorText([&] { query_.execute(); }), "no such column: nosuchcolumn");
    EXPECT_FALSE(query_.isOpen());
    EXPECT_EQ(countRows(QStringLiteral("where 统计 in (1, 3, 5)")), 3);
}

TEST_F(QueryTest, TheUseCountOfANewRowStartsAtZeroAndGrows) {
    AccountRecord added = record(QStringLiteral("网站"), QStringLiteral("新"), 0);
    execute(sql::insertRecord(added));
    query_.setSql(sql::browseAllColumns());
    query_.open();
    ASSERT_EQ(query_.recordCount(), 1);
    EXPECT_EQ(query_.field(7), QStringLiteral("0"));
    const QString number = query_.field(0);
    execute(sql::raiseUseCount(number));
    execute(sql::raiseUseCount(number));
    query_.setSql(sql::browseAllColumns());
    query_.open();
    EXPECT_EQ(query_.fieldByName(QStringLiteral("统计")), QStringLiteral("2"));
}

TEST_F(QueryTest, AQuoteInATextRoundTripsThroughInsertAndSearch) {
    AccountRecord added = record(QStringLiteral("O'Neil's"), QStringLiteral("it's mine"), 0);
    added.帐号 = QStringLiteral("o'neil");
    added.网址 = QStringLiteral("http://x/?q='1'");
    EXPECT_EQ(execute(sql::insertRecord(added)), 1);
    query_.setSql(sql::searchRecords(QStringLiteral("标题"), QStringLiteral("ts m")));
    query_.open();
    EXPECT_EQ(query_.recordCount(), 0) << "the keyword without the quote is another text";
    query_.setSql(sql::searchRecords(QStringLiteral("标题"), QStringLiteral("t's m")));
    query_.open();
    ASSERT_EQ(query_.recordCount(), 1);
    EXPECT_EQ(query_.field(1), added.分类);
    EXPECT_EQ(query_.field(2), added.网址);
    EXPECT_EQ(query_.field(3), added.标题);
    EXPECT_EQ(query_.field(4), added.帐号);
    query_.setSql(sql::browseCategory(added.分类));
    query_.open();
    EXPECT_EQ(query_.recordCount(), 1);
}

TEST_F(QueryTest, ModifyRenameAndDeleteCategoryActOnTheRightRows) {
    addThree();
    AccountRecord changed = record(QStringLiteral("网站"), QStringLiteral("甲'"), 0);
    query_.setSql(sql::modifyRecord(changed, QString::number(numbers_[1])));
    EXPECT_EQ(query_.execute(), 1);
    query_.setSql(sql::renameCategory(QStringLiteral("站'点"), QStringLiteral("网站")));
    EXPECT_EQ(query_.execute(), 2);
    query_.setSql(sql::browseCategory(QStringLiteral("站'点")));
    query_.open();
    ASSERT_EQ(query_.recordCount(), 2);
    EXPECT_EQ(query_.field(3), QStringLiteral("甲'")) << "统计 stays 5, so it still comes first";
    EXPECT_EQ(execute(sql::deleteCategory(QStringLiteral("站'点"))), 2);
    EXPECT_EQ(countRows(), 1);
}

TEST_F(QueryTest, TheManagementPasswordIsWrittenIntoEveryRowOfPass) {
    app_.openDatabase().execute(QStringLiteral("INSERT INTO Pass VALUES ('OTHER');"));
    EXPECT_EQ(execute(sql::writeManagementPassword(QStringLiteral("ABCDEF"))), 2);
    query_.setSql(sql::readManagementPassword());
    query_.open();
    ASSERT_EQ(query_.recordCount(), 2);
    EXPECT_EQ(query_.field(0), QStringLiteral("ABCDEF"));
    query_.next();
    EXPECT_EQ(query_.field(0), QStringLiteral("ABCDEF"));
}

TEST_F(QueryTest, ClearingAllRecordsLeavesPassAndAnEmptyResult) {
    addThree();
    query_.setSql(sql::deleteAllRecords());
    EXPECT_EQ(query_.execute(), 3);
    query_.setSql(sql::browseAfterClear());
    query_.open();
    EXPECT_EQ(query_.recordCount(), 0);
    EXPECT_EQ(query_.fieldCount(), 8);
    query_.setSql(sql::readManagementPassword());
    query_.open();
    EXPECT_EQ(query_.recordCount(), 1);
}

// ---- Fields

TEST_F(QueryTest, FieldsReadByPositionOrNameAsText) {
    addThree();
    query_.setSql(sql::browseAllColumns());
    query_.open();
    EXPECT_EQ(query_.fieldNames(), QStringList({QStringLiteral("编号"), QStringLiteral("分类"), QStringLiteral("网址"),
                                                QStringLiteral("标题"), QStringLiteral("帐号"), QStringLiteral("密码"),
                                                QStringLiteral("备注"), QStringLiteral("统计")}));
    EXPECT_EQ(query_.field(0), QString::number(numbers_[0]));
    EXPECT_EQ(query_.fieldByName(QStringLiteral("标题")), QStringLiteral("乙"));
    EXPECT_EQ(query_.field(7), QStringLiteral("3"));
    const AccountRecord read = currentRecord(query_);
    EXPECT_EQ(read.编号, numbers_[0]);
    EXPECT_EQ(read.帐号, QStringLiteral("乙@mail"));
    EXPECT_EQ(read.统计, 3);
    EXPECT_THROW(query_.field(8), Error);
    EXPECT_THROW(query_.field(-1), Error);
    EXPECT_EQ(test::errorText([&] { query_.fieldByName(QStringLiteral("Nope")); }),
              "ADOQuery1: Field 'Nope' not found.");
}

TEST_F(QueryTest, FieldNamesIgnoreLetterCase) {
    query_.setSql(QStringLiteral("select 密码 as Cipher from Pass"));
    query_.open();
    EXPECT_EQ(query_.fieldByName(QStringLiteral("cIPHER")), query_.field(0));
    EXPECT_FALSE(query_.field(0).isEmpty());
}

TEST_F(QueryTest, AFieldWithoutValueReadsAsEmptyText) {
    AccountRecord placeholder = record(QStringLiteral("分类四字"), QStringLiteral("x"), 0);
    placeholder.备注 = QString();  // stored as no value
    app_.addRecord(placeholder);
    query_.setSql(QStringLiteral("select 备注, 备注 is null from data"));
    query_.open();
    EXPECT_EQ(query_.field(1), QStringLiteral("1")) << "the row must really hold no value";
    EXPECT_TRUE(query_.field(0).isEmpty());
    query_.setSql(sql::browseByUse());
    query_.open();
    EXPECT_TRUE(currentRecord(query_).备注.isEmpty());
}

TEST_F(QueryTest, AnEmptyResultReadsEmptyTextInEveryField) {
    query_.setSql(sql::browseByUse());
    query_.open();
    EXPECT_TRUE(query_.fieldByName(QStringLiteral("标题")).isEmpty());
    EXPECT_EQ(query_.recNo(), 0);
}

TEST_F(QueryTest, AClosedResultRefusesEveryRead) {
    for (const auto& read : std::initializer_list<void (*)(Query&)>{
             [](Query& q) { q.recordCount(); }, [](Query& q) { q.recNo(); }, [](Query& q) { q.eof(); },
             [](Query& q) { q.next(); }, [](Query& q) { q.field(0); }, [](Query& q) { q.deleteCurrent(); }}) {
        EXPECT_EQ(test::errorText([&] { read(query_); }),
                  "ADOQuery1: Cannot perform this operation on a closed dataset.");
    }
}

// ---- Navigation and the end flags

struct MoveCase {
    const char* moves;  // f first, l last, n next, p prior, +k/-k moveBy, =k setRecNo
    int rows;
    int recNo;
    bool eof;
    bool bof;
};

void applyMoves(Query& query, const std::string& moves) {
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const char move = moves[i];
        if (move == 'f') query.first();
        if (move == 'l') query.last();
        if (move == 'n') query.next();
        if (move == 'p') query.prior();
        if (move == '+' || move == '-' || move == '=') {
            const int amount = moves[++i] - '0';
            if (move == '=')
                query.setRecNo(amount);
            else
                query.moveBy(move == '+' ? amount : -amount);
        }
    }
}

class Navigation : public QueryTest, public testing::WithParamInterface<MoveCase> {};

TEST_P(Navigation, MovesSetTheCurrentRowAndTheFlags) {
    std::vector<AccountRecord> records;
    for (int row = 0; row < GetParam().rows; ++row)
        records.push_back(record(QStringLiteral("c"), QString::number(row + 1), GetParam().rows - row));
    app_.addRecords(records);
    openBrowse();
    applyMoves(query_, GetParam().moves);
    EXPECT_EQ(query_.recNo(), GetParam().recNo);
    EXPECT_EQ(query_.eof(), GetParam().eof);
    EXPECT_EQ(query_.bof(), GetParam().bof);
    if (GetParam().rows > 0) {
        EXPECT_EQ(query_.field(3), QString::number(GetParam().recNo)) << "the row read is the current one";
    }
}

INSTANTIATE_TEST_SUITE_P(Query, Navigation,
                         testing::Values(MoveCase{"", 3, 1, false, false},      // right after opening
                                         MoveCase{"nn", 3, 3, false, false},    // on the last row
                                         MoveCase{"nnn", 3, 3, true, false},    // past the last row: stays
                                         MoveCase{"nnnp", 3, 2, false, false},  // back again clears the end
                                         MoveCase{"l", 3, 3, false, false},     // last is no move past the end
                                         MoveCase{"ln", 3, 3, true, false},     //
                                         MoveCase{"p", 3, 1, false, true},      // before the first row: stays
                                         MoveCase{"lpf", 3, 1, false, false},   //
                                         MoveCase{"+2", 3, 3, false, false},    //
                                         MoveCase{"+5", 3, 3, true, false},     // moveBy stops at the end
                                         MoveCase{"l-5", 3, 1, false, true},    //
                                         MoveCase{"n+0", 3, 2, false, false},   //
                                         MoveCase{"=2", 3, 2, false, false},    //
                                         MoveCase{"=2=4", 3, 2, false, false},  // outside the rows: ignored
                                         MoveCase{"=0", 3, 1, false, false},    //
                                         MoveCase{"n", 1, 1, true, false},      // one row
                                         MoveCase{"", 0, 0, true, true},        // empty result
                                         MoveCase{"nplf+2=1", 0, 0, true, true}));

TEST_F(QueryTest, WalkingUntilTheEndFlagVisitsEveryRowOnce) {
    addThree();
    openBrowse();
    QStringList titles;
    while (!query_.eof()) {
        titles.append(query_.field(3));
        query_.next();
    }
    EXPECT_EQ(titles, QStringList({QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}));
}

TEST_F(QueryTest, CurrentRowChangedFollowsMovesThatChangeTheRow) {
    addThree();
    openBrowse();
    QSignalSpy moved(&query_, &Query::currentRowChanged);
    query_.next();
    query_.last();
    query_.next();  // past the end: the row stays
    query_.setRecNo(1);
    ASSERT_EQ(moved.count(), 3);
    EXPECT_EQ(moved.at(0).at(0).toInt(), 2);
    EXPECT_EQ(moved.at(1).at(0).toInt(), 3);
    EXPECT_EQ(moved.at(2).at(0).toInt(), 1);
}

// ---- Deleting the current row

TEST_F(QueryTest, DeleteRemovesTheCurrentRowFromTheTableAndTheResult) {
    addThree();
    openBrowse();
    query_.setRecNo(2);  // 乙
    const QString deleted = query_.field(0);
    QSignalSpy changed(&query_, &Query::resultChanged);
    query_.deleteCurrent();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(countRows(), 2);
    EXPECT_EQ(countRows(QStringLiteral("where 编号=") + deleted), 0);
    EXPECT_EQ(query_.recordCount(), 2);
    EXPECT_EQ(query_.recNo(), 2);
    EXPECT_EQ(query_.field(3), QStringLiteral("丙")) << "the next row takes the place";
    EXPECT_FALSE(query_.eof());
}

TEST_F(QueryTest, DeletingTheLastRowsWalksBackToEmpty) {
    addThree();
    openBrowse();
    query_.last();
    query_.deleteCurrent();
    EXPECT_EQ(query_.recNo(), 2);
    EXPECT_EQ(query_.field(3), QStringLiteral("乙"));
    query_.deleteCurrent();
    query_.deleteCurrent();
    EXPECT_EQ(query_.recordCount(), 0);
    EXPECT_TRUE(query_.eof());
    EXPECT_EQ(countRows(), 0);
    EXPECT_EQ(test::errorText([&] { query_.deleteCurrent(); }),
              "ADOQuery1: Cannot perform this operation on an empty dataset.");
}

TEST_F(QueryTest, AResultWithoutTheKeyCannotDeleteAndKeepsItsRow) {
    addThree();
    query_.setSql(QStringLiteral("select 标题 from data"));
    query_.open();
    EXPECT_THROW(query_.deleteCurrent(), Error);
    EXPECT_EQ(query_.recordCount(), 3);
    EXPECT_EQ(countRows(), 3);
}

TEST_F(QueryTest, ARowDeletedByOtherMeansStillLeavesTheResult) {
    addThree();
    openBrowse();
    app_.openDatabase().execute(QStringLiteral("DELETE FROM data WHERE 标题='甲';"));
    query_.deleteCurrent();
    EXPECT_EQ(query_.recordCount(), 2);
    EXPECT_EQ(countRows(), 2) << "no other row went with it";
}

// ---- When the result closes

TEST_F(QueryTest, EveryNewStatementTextClosesTheResult) {
    addThree();
    for (const auto& change : std::initializer_list<void (*)(Query&)>{
             [](Query& q) { q.clearSql(); }, [](Query& q) { q.addSql(QStringLiteral("x")); },
             [](Query& q) { q.setSql(QStringLiteral("x")); }, [](Query& q) { q.setSql(QStringList()); },
             [](Query& q) { q.close(); }}) {
        openBrowse();
        QSignalSpy closed(&query_, &Query::resultChanged);
        change(query_);
        EXPECT_FALSE(query_.isOpen());
        EXPECT_EQ(query_.result(), nullptr);
        EXPECT_EQ(closed.count(), 1);
    }
}

TEST_F(QueryTest, ExecutingAChangeLeavesTheBrowseClosedUntilTheNextLoad) {
    addThree();
    openBrowse();
    execute(sql::raiseUseCount(QString::number(numbers_[2])));
    EXPECT_FALSE(query_.isOpen());
    openBrowse();
    EXPECT_EQ(query_.recordCount(), 3);
}

// ---- Rows kept for a reopen right after the close

QStringList titlesByUse(Connection& connection) {
    Query fresh(connection);
    fresh.setSql(sql::browseByUse());
    fresh.open();
    QStringList titles;
    for (; !fresh.eof(); fresh.next()) titles.append(fresh.field(3));
    return titles;
}

QStringList titlesOf(Query& query) {
    QStringList titles;
    for (query.first(); !query.eof(); query.next()) titles.append(query.field(3));
    return titles;
}

struct BetweenCase {
    const char* what;
    void (*act)(Connection& connection, Query& query, const test::TempAppDir& app);
    bool reused;
};

void raiseThird(Connection& connection) {
    Query other(connection);
    other.setSql(QStringLiteral("update data set 统计=统计+10 where 标题='丙'"));
    other.execute();
}

TEST_F(QueryTest, KeptRowsServeOnlyWhenNothingChangedTheDatabaseOrTheQuery) {
    addThree();
    const BetweenCase cases[] = {
        {"nothing", [](Connection&, Query&, const test::TempAppDir&) {}, true},
        {"a change statement of another query object",
         [](Connection& connection, Query&, const test::TempAppDir&) { raiseThird(connection); }, false},
        {"a change statement that changes no row",
         [](Connection& connection, Query&, const test::TempAppDir&) {
             Query other(connection);
             other.setSql(QStringLiteral("update data set 统计=0 where 编号=-1"));
             other.execute();
         },
         false},
        {"a change straight through the connection's file",
         [](Connection& connection, Query&, const test::TempAppDir&) {
             connection.database().execute(QStringLiteral("update data set 统计=统计+20 where 标题='乙'"));
         },
         false},
        {"a commit of another connection to the same file",
         [](Connection&, Query&, const test::TempAppDir& app) {
             app.openDatabase().execute(QStringLiteral("update data set 统计=统计+40 where 标题='丙'"));
         },
         false},
        {"a row deleted through another query object",
         [](Connection& connection, Query&, const test::TempAppDir&) {
             Query other(connection);
             other.setSql(sql::browseByUse());
             other.open();
             other.deleteCurrent();
         },
         false},
        {"a new statement text on the query",
         [](Connection&, Query& query, const test::TempAppDir&) { query.clearSql(); }, false},
        {"a close of the query", [](Connection&, Query& query, const test::TempAppDir&) { query.close(); }, false},
        {"a close of the connection",
         [](Connection& connection, Query&, const test::TempAppDir&) { connection.close(); }, false},
    };
    for (const BetweenCase& between : cases) {
        SCOPED_TRACE(between.what);
        openBrowse();
        query_.closeKeepingRows();
        ASSERT_FALSE(query_.isOpen()) << "the grid empties as with close()";
        between.act(connection_, query_, app_);
        EXPECT_EQ(query_.reopenKeptRows({sql::browseByUse()}), between.reused);
        if (!between.reused) {
            EXPECT_FALSE(query_.isOpen()) << "a refused reopen opens nothing";
            openBrowse();
        }
        EXPECT_EQ(titlesOf(query_), titlesByUse(connection_)) << "the rows are those the database holds now";
    }
}

TEST_F(QueryTest, KeptRowsServeOnlyTheStatementThatFetchedThemAndOnlyOnce) {
    addThree();
    openBrowse();
    query_.closeKeepingRows();
    EXPECT_FALSE(query_.reopenKeptRows({sql::browseUnsorted()}));
    EXPECT_FALSE(query_.reopenKeptRows({sql::browseByUse()})) << "the refused reopen let the rows go";

    openBrowse();
    query_.closeKeepingRows();
    EXPECT_FALSE(query_.reopenKeptRows({sql::browseByUse(), QString()})) << "an extra line is another text";
    EXPECT_FALSE(query_.reopenKeptRows({sql::browseByUse()}));

    openBrowse();
    query_.closeKeepingRows();
    ASSERT_TRUE(query_.reopenKeptRows({sql::browseByUse()}));
    query_.close();
    EXPECT_FALSE(query_.reopenKeptRows({sql::browseByUse()}));

    query_.closeKeepingRows();  // a closed query has nothing to keep
    EXPECT_FALSE(query_.reopenKeptRows({sql::browseByUse()}));
}

TEST_F(QueryTest, AReopenLeavesTheQueryAsAFreshOpenWould) {
    addThree();
    openBrowse();
    query_.last();
    query_.next();  // past the end: both the row and the flag differ from a fresh result
    query_.closeKeepingRows();

    QSignalSpy aboutToChange(&query_, &Query::resultAboutToChange);
    QSignalSpy changed(&query_, &Query::resultChanged);
    QSignalSpy currentRow(&query_, &Query::currentRowChanged);
    ASSERT_TRUE(query_.reopenKeptRows({sql::browseByUse()}));
    EXPECT_EQ(aboutToChange.count(), 1);
    EXPECT_EQ(changed.count(), 1);
    ASSERT_EQ(currentRow.count(), 1);
    EXPECT_EQ(currentRow.front().front().toInt(), 1);

    EXPECT_EQ(query_.sql(), QStringList{sql::browseByUse()});
    EXPECT_EQ(query_.recNo(), 1);
    EXPECT_FALSE(query_.eof());
    EXPECT_FALSE(query_.bof());
    EXPECT_EQ(query_.recordCount(), 3);
    EXPECT_EQ(query_.fieldByName(QStringLiteral("标题")), QStringLiteral("甲"));

    query_.deleteCurrent();  // the reopened rows still know their table's key
    EXPECT_EQ(countRows(), 2);
    EXPECT_EQ(titlesOf(query_), titlesByUse(connection_));
}

TEST_F(QueryTest, RowsKeptOfAnEmptyResultReopenEmpty) {
    openBrowse();
    query_.closeKeepingRows();
    ASSERT_TRUE(query_.reopenKeptRows({sql::browseByUse()}));
    EXPECT_EQ(query_.recordCount(), 0);
    EXPECT_TRUE(query_.eof());
    EXPECT_TRUE(query_.bof());
}

}  // namespace
}  // namespace tessavo::store
