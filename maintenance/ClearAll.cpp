#include "maintenance/ClearAll.h"

#include "maintenance/Backup.h"
#include "store/Query.h"
#include "store/Statements.h"

namespace tessavo::maintenance {

QString clearAllConfirmation() { return QStringLiteral("您真的要删除数据库中所有的记录吗?"); }

void clearAllRecords(store::Query& query, const QString& appDir, const QString& clockText) {
    BackupCopy(appDir, clearAllBackupPrefix(), clockText);
    // Setting the statement text closes the grid's result: it shows no rows from here on.
    query.clearSql();
    query.setSql(store::sql::deleteAllRecords());
    query.execute();
    query.setSql(store::sql::browseAfterClear());
    query.open();
}

}  // namespace tessavo::maintenance
