#pragma once

#include <QString>
#include <functional>
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
    // The same records one at a time, read as they are handed on: memory for one record only.
    void forEachRecord(const std::function<void(const TransferRecord&)>& take);
    QString decrypt(const QString& cipher) const;

    // Stores a batch of records, in order, each with its use count.
    using AddBatch = std::function<void(const std::vector<TransferRecord>& batch)>;
    // Runs `fill` in one transaction, handing it the way to store batches: either every batch
    // it stores is there afterwards or, when anything throws, none.
    void addAll(const std::function<void(const AddBatch& add)>& fill);
    // Adds the records in one transaction: all of them or none.
    void addAll(const std::vector<TransferRecord>& records);

    store::Connection& connection() { return connection_; }

private:
    void addOne(const TransferRecord& record);

    QString directory_;
    std::string accountKey_;
    store::Connection connection_;
};

}  // namespace tessavo::maintenance::transfer
