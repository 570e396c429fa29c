#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <vector>

namespace tessavo::store {
class Connection;
}

namespace tessavo::test {

// A record as the user types it: password and notes in plain text.
struct PlainRecord {
    QString 分类;
    QString 标题;
    QString 帐号;
    QString 密码;
    QString 备注;
    QString 网址;
    qint64 统计 = 0;

    friend bool operator==(const PlainRecord&, const PlainRecord&) = default;
};

// Stores records through the program's own insert statement (password and notes encrypted
// under AccountKey), then sets their use counts. Returns their 编号s in the given order.
std::vector<qint64> storeRecords(store::Connection& connection, const std::vector<PlainRecord>& records);

// One row of table data as stored, every field as text, 编号 and 统计 as decimal digits.
struct StoredRow {
    QString 编号;
    QString 分类;
    QString 网址;
    QString 标题;
    QString 帐号;
    QString 密码;
    QString 备注;
    QString 统计;
    bool 备注HasValue = false;
};
// Every row of table data in 编号 order.
std::vector<StoredRow> storedRows(store::Connection& connection);
// The row with this 编号; fails the test when there is none.
StoredRow storedRow(store::Connection& connection, qint64 number);
// The 分类 of every row of table data in another database file (a backup), in 编号 order.
QStringList categoriesInFile(const QString& path);
// Runs a statement of the test's own (set-up behind the program's back).
void runStatement(store::Connection& connection, const QString& statement);

}  // namespace tessavo::test
