#include "tests/support/StatementLog.h"

#include <sqlite3.h>

#include "store/SqlCipherFile.h"

namespace tessavo::test {

StatementLog::StatementLog(store::SqlCipherFile& database) : database_(database.handle()) {
    sqlite3_trace_v2(database_, SQLITE_TRACE_STMT, &StatementLog::record, this);
}

StatementLog::~StatementLog() { sqlite3_trace_v2(database_, 0, nullptr, nullptr); }

int StatementLog::record(unsigned event, void* log, void* statement, void*) {
    if (event == SQLITE_TRACE_STMT) {
        // The text the statement was prepared from, without bound values filled in.
        const char* text = sqlite3_sql(static_cast<sqlite3_stmt*>(statement));
        static_cast<StatementLog*>(log)->statements_.append(QString::fromUtf8(text != nullptr ? text : ""));
    }
    return 0;
}

}  // namespace tessavo::test
