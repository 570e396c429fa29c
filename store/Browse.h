#pragma once

#include <QString>
#include <QStringList>

namespace tessavo::store {

class Query;

// How the account page runs its statements on a query object.

// A browse statement: close the query, clear its text, add the statement, open the result.
// Rows the query has just kept of this very statement serve when nothing changed since.
void openBrowse(Query& query, const QString& statement);
// A change statement: clear the text, add the lines, execute them as one statement.
// Returns the number of rows changed.
int executeChange(Query& query, const QStringList& lines);

// The count texts of status panel 0 after a load.
// "共" count "条信息"
QString allRecordsCountText(int count);
// category "分类下共有" count "条"
QString categoryCountText(const QString& category, int count);
// "关于" keyword "的信息,共搜索到" count "条"
QString searchCountText(const QString& keyword, int count);

}  // namespace tessavo::store
