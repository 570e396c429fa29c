#pragma once

#include <QString>
#include <string>
#include <vector>

#include "maintenance/transfer/TransferRecord.h"
#include "store/AccountRecord.h"
#include "store/Connection.h"

namespace tessavo::maintenance::transfer {

// The account database of an application directory, opened for moving records in and out.
// Secrets go through the text cipher under the key given at construction, exactly as the
// program's editor stores and shows them.
class AccountDatabase {
public:
    // Opens DIR/_.udb and reads its tables; `databaseKey`, when given, is the key of a file
    // protected by the management password. A missing directory or file, an empty key and a
    // file that is not an account database are refused with tessavo::Error.
    AccountDatabase(const QString& directory, const std::string& accountKey, const QString& databaseKey = {});

    // The directory with a trailing separator.
    const QString& directory() const { return directory_; }
    QString databasePath() const;

    // Every row of table data as stored (cipher text), in 编号 order.
    std::vector<store::AccountRecord> storedRows();
    // Every record in plain text, in 编号 order.
    std::vector<TransferRecord> records();
    QString decrypt(const QString& cipher) const;

    // Adds the records in one transaction, in order, each with its use count: either all of
    // them are stored or, on any error, none.
    void addAll(const std::vector<TransferRecord>& records);

    store::Connection& connection() { return connection_; }

private:
    void addOne(const TransferRecord& record);

    QString directory_;
    std::string accountKey_;
    store::Connection connection_;
};

}  // namespace tessavo::maintenance::transfer
