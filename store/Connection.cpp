#include "store/Connection.h"

#include <QPointer>
#include <algorithm>

#include "platform/base/Error.h"
#include "platform/base/Logging.h"
#include "store/ConnectionString.h"
#include "store/FileProtection.h"
#include "store/Query.h"

namespace tessavo::store {

Connection::Connection(const QString& connectionString) : connectionString_(connectionString) {}

Connection::~Connection() {
    close();
    // Query objects may outlive the connection (Qt children go after their owner's members).
    for (Query* query : queries_) query->connection_ = nullptr;
    wipeText(databaseKey_);
}

void Connection::setDatabaseKey(const QString& key) {
    close();
    wipeText(databaseKey_);
    databaseKey_ = key;
}

QString Connection::openingKey() const {
    return hasDatabaseKey() ? databaseKey_ : parseConnectionString(connectionString_).databasePassword;
}

void Connection::setConnectionString(const QString& connectionString) {
    close();
    connectionString_ = connectionString;
}

void Connection::close() {
    // A slot that follows a result may delete its query while the results close.
    std::vector<QPointer<Query>> queries(queries_.begin(), queries_.end());
    for (const QPointer<Query>& query : queries)
        if (query) query->close();
    database_.reset();
}

SqlCipherFile& Connection::database() {
    if (database_) return *database_;
    const ConnectionSettings settings = parseConnectionString(connectionString_);
    if (settings.dataSource.isEmpty()) throw Error(QStringLiteral("The connection string names no data source."));
    const QString& key = hasDatabaseKey() ? databaseKey_ : settings.databasePassword;
    database_.emplace(settings.dataSource, key, SqlCipherFile::Mode::OpenExisting);
    // Which key, never the key itself.
    qCDebug(lcStore) << "opened the database file" << settings.dataSource
                     << (hasDatabaseKey() ? "with the key of the management password" : "with the program's key");
    return *database_;
}

void Connection::attach(Query* query) { queries_.push_back(query); }

void Connection::detach(Query* query) { std::erase(queries_, query); }

}  // namespace tessavo::store
