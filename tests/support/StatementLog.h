#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

namespace tessavo::store {
class SqlCipherFile;
}

namespace tessavo::test {

// The statements the engine runs on one open database file, in their order, as the texts
// they were prepared from; recording ends with the object.
class StatementLog {
public:
    explicit StatementLog(store::SqlCipherFile& database);
    ~StatementLog();
    StatementLog(const StatementLog&) = delete;
    StatementLog& operator=(const StatementLog&) = delete;

    const QStringList& statements() const { return statements_; }
    // How often exactly this text ran.
    int count(const QString& text) const { return static_cast<int>(statements_.count(text)); }
    void clear() { statements_.clear(); }

private:
    static int record(unsigned event, void* log, void* statement, void* text);

    sqlite3* database_;
    QStringList statements_;
};

}  // namespace tessavo::test
