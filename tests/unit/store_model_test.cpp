// The grid's model over a query's result: columns titled by name, rows as text, empty while
// the result is closed, and starting over with every open, close and deleted row.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "store/Connection.h"
#include "store/Query.h"
#include "store/ResultTableModel.h"
#include "store/Statements.h"
#include "tests/support/TempAppDir.h"

namespace tessavo::store {
namespace {

class ResultModelTest : public testing::Test {
protected:
    ResultModelTest() : connection_(app_.connectionString()), query_(connection_), model_(&query_) {
        std::vector<AccountRecord> records(4);
        for (int row = 0; row < 4; ++row) {
            records[row].分类 = QStringLiteral("分类");
            records[row].标题 = QStringLiteral("标题%1").arg(row);
            records[row].统计 = 10 - row;
        }
        app_.addRecords(records);
    }

    void open(const QString& statement) {
        query_.setSql(statement);
        query_.open();
    }

    test::TempAppDir app_;
    Connection connection_;
    Query query_;
    ResultTableModel model_;
    QAbstractItemModelTester tester_{&model_, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(ResultModelTest, ShowsTheOpenResultWithColumnNamesAsTitles) {
    EXPECT_EQ(model_.rowCount(), 0);
    EXPECT_EQ(model_.columnCount(), 0);
    open(sql::browseByUse());
    ASSERT_EQ(model_.rowCount(), 4);
    ASSERT_EQ(model_.columnCount(), 7);
    for (int column = 0; column < 7; ++column)
        EXPECT_EQ(model_.headerData(column, Qt::Horizontal).toString(), query_.fieldNames().at(column));
    EXPECT_EQ(model_.data(model_.index(1, 3)).toString(), QStringLiteral("标题1"));
    EXPECT_EQ(model_.data(model_.index(3, 2)).toString(), QString()) << "a field without value is empty";
    EXPECT_FALSE(model_.flags(model_.index(0, 0)).testFlag(Qt::ItemIsEditable));
}

TEST_F(ResultModelTest, StartsOverWithEveryChangeOfTheResult) {
    QSignalSpy reset(&model_, &QAbstractItemModel::modelReset);
    open(sql::browseByUse());
    EXPECT_EQ(reset.count(), 1);
    open(sql::browseAllColumns());  // the new text closes the old result, then the new one opens
    EXPECT_EQ(reset.count(), 3);
    EXPECT_EQ(model_.columnCount(), 8);
    EXPECT_EQ(model_.headerData(7, Qt::Horizontal).toString(), QStringLiteral("统计"));

    query_.setRecNo(2);
    query_.deleteCurrent();
    EXPECT_EQ(reset.count(), 4);
    EXPECT_EQ(model_.rowCount(), 3);
    EXPECT_EQ(model_.data(model_.index(1, 3)).toString(), QStringLiteral("标题2"));
}

TEST_F(ResultModelTest, IsEmptyAfterANewStatementTextOrAClosedConnection) {
    open(sql::browseByUse());
    query_.clearSql();
    EXPECT_EQ(model_.rowCount(), 0);
    EXPECT_EQ(model_.columnCount(), 0);
    open(sql::browseByUse());
    connection_.close();
    EXPECT_EQ(model_.rowCount(), 0);
}

TEST(ResultModel, OutlivesItsQuery) {
    test::TempAppDir app;
    Connection connection(app.connectionString());
    auto query = std::make_unique<Query>(connection);
    ResultTableModel model(query.get());
    query->setSql(sql::readManagementPassword());
    query->open();
    EXPECT_EQ(model.rowCount(), 1);
    query.reset();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.query(), nullptr);
}

}  // namespace
}  // namespace tessavo::store
