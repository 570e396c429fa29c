#pragma once

#include <QString>
#include <QtGlobal>

namespace tessavo::store {

class Query;

// One row of table data, one field per column, in the table's column order.
struct AccountRecord {
    qint64 编号 = 0;  // given by the database when the row is inserted
    QString 分类;
    QString 网址;
    QString 标题;
    QString 帐号;
    QString 密码;  // cipher text under AccountKey, as stored
    QString 备注;  // cipher text under AccountKey, as stored; empty when the row has none
    qint64 统计 = 0;
};

// The current row of an open result whose columns stand in table order (编号 to 备注, and
// 统计 eighth when the result has it), read by position.
AccountRecord currentRecord(const Query& query);

}  // namespace tessavo::store
