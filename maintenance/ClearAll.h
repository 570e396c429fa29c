#pragma once

#include <QString>

namespace tessavo::store {
class Query;
}

// Clearing all data: every record of table data goes, after a backup; table Pass (the
// management password) stays.
namespace tessavo::maintenance {

// The question asked first: "您真的要删除数据库中所有的记录吗?"
QString clearAllConfirmation();

// Backs up appDir + "_.udb" as "清空数据库前备份_bak_" + stamp of `clockText` + "_.udb" (a failed
// backup stops nothing), then deletes every record through `query` (the grid's query) and
// leaves `query` open on the emptied table. An error of a statement is thrown
// (tessavo::Error); the steps after it do not run.
void clearAllRecords(store::Query& query, const QString& appDir, const QString& clockText);

}  // namespace tessavo::maintenance
