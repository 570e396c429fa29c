#include "store/Browse.h"

#include "store/Query.h"

namespace tessavo::store {

void openBrowse(Query& query, const QString& statement) {
    if (query.reopenKeptRows({statement})) return;
    query.close();
    query.clearSql();
    query.addSql(statement);
    query.open();
}

int executeChange(Query& query, const QStringList& lines) {
    query.clearSql();
    for (const QString& line : lines) query.addSql(line);
    return query.execute();
}

QString allRecordsCountText(int count) { return QStringLiteral("共%1条信息").arg(count); }

QString categoryCountText(const QString& category, int count) {
    return category + QStringLiteral("分类下共有") + QString::number(count) + QStringLiteral("条");
}

QString searchCountText(const QString& keyword, int count) {
    return QStringLiteral("关于") + keyword + QStringLiteral("的信息,共搜索到") + QString::number(count) +
           QStringLiteral("条");
}

}  // namespace tessavo::store
