#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "store/SqlCipherFile.h"

namespace tessavo::store {

class Query;

// The one connection to the account database (ADOConnection1). It opens by itself when the
// first statement runs, from the data source and database password of its connection
// string, and stays open until close(). Every query object of the connection registers with
// it, so closing the connection closes their results.
class Connection {
public:
    Connection() = default;
    explicit Connection(const QString& connectionString);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Setting another connection string closes an open connection first.
    void setConnectionString(const QString& connectionString);
    const QString& connectionString() const { return connectionString_; }

    // The key the file opens with instead of the connection string's database password: that
    // of a file protected by the management password. Setting or clearing it closes an open
    // connection first; the key is wiped from memory when it is replaced or the connection goes.
    void setDatabaseKey(const QString& key);
    void clearDatabaseKey() { setDatabaseKey(QString()); }
    bool hasDatabaseKey() const { return !databaseKey_.isEmpty(); }
    // The key the file is opened with: the database key when set, else the database password.
    QString openingKey() const;

    bool isOpen() const { return database_.has_value(); }
    // Closes the result of every query object, then the database file. Harmless when closed.
    void close();

    // The open database file, opened now when it is not yet. A missing file, a wrong
    // database password or a file that is no database throws tessavo::Error with the
    // engine's text, and the connection stays closed.
    SqlCipherFile& database();

private:
    friend class Query;
    void attach(Query* query);
    void detach(Query* query);

    QString connectionString_;
    QString databaseKey_;
    std::optional<SqlCipherFile> database_;
    std::vector<Query*> queries_;
};

}  // namespace tessavo::store
