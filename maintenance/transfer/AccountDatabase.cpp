#include "maintenance/transfer/AccountDatabase.h"

#include <QDir>
#include <QFileInfo>

#include "platform/base/Error.h"
#include "store/ConnectionString.h"
#include "store/Query.h"
#include "store/RecordFields.h"
#include "store/Statements.h"

namespace tessavo::maintenance::transfer {
namespace {

QString withSeparator(const QString& directory) { return directory.endsWith(u'/') ? directory : directory + u'/'; }

// Rolls back unless committed, so an error anywhere in between leaves the file as it was.
class Transaction {
public:
    explicit Transaction(store::SqlCipherFile& file) : file_(file) {
        file_.execute(QStringLiteral("BEGIN IMMEDIATE;"));
    }
    ~Transaction() {
        if (!committed_) {
            try {
                file_.execute(QStringLiteral("ROLLBACK;"));
            } catch (...) {  // the engine rolls back by itself when the statement failed that far
            }
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit() {
        file_.execute(QStringLiteral("COMMIT;"));
        committed_ = true;
    }

private:
    store::SqlCipherFile& file_;
    bool committed_ = false;
};

}  // namespace

AccountDatabase::AccountDatabase(const QString& directory, const std::string& accountKey, const QString& databaseKey)
    : directory_(withSeparator(directory)), accountKey_(accountKey) {
    if (accountKey_.empty()) throw Error(QStringLiteral("No account key was given; the records cannot be read."));
    if (!QFileInfo(directory).isDir()) throw Error(QStringLiteral("The directory %1 does not exist.").arg(directory));
    const QString path = databasePath();
    if (!QFileInfo(path).isFile()) throw Error(QStringLiteral("There is no account database %1.").arg(path));
    connection_.setConnectionString(store::connectionStringFor(directory_));
    if (!databaseKey.isEmpty()) connection_.setDatabaseKey(databaseKey);
    try {
        storedRows();
        store::Query pass(connection_);
        pass.setSql(store::sql::readManagementPassword());
        pass.open();
    } catch (const std::exception& error) {
        throw Error(QStringLiteral("%1 is not an account database of this program: %2")
                        .arg(path, QString::fromStdString(error.what())));
    }
}

QString AccountDatabase::databasePath() const { return store::databasePath(directory_); }

std::vector<store::AccountRecord> AccountDatabase::storedRows() {
    store::Query query(connection_);
    // A table without row order of its own is read in 编号 order.
    query.setSql(store::sql::browseAllColumns());
    query.open();
    std::vector<store::AccountRecord> rows;
    rows.reserve(static_cast<std::size_t>(query.recordCount()));
    for (query.first(); !query.eof(); query.next()) rows.push_back(store::currentRecord(query));
    return rows;
}

QString AccountDatabase::decrypt(const QString& cipher) const { return store::decryptAccountText(cipher, accountKey_); }

void AccountDatabase::forEachRecord(const std::function<void(const TransferRecord&)>& take) {
    // Read straight from the engine, by position in table order (编号 to 统计): a result set
    // would hold every row at once.
    store::SqlStatement rows = connection_.database().prepare(store::sql::browseAllColumns());
    TransferRecord record;
    while (rows.step()) {
        record.分类 = rows.text(1);
        record.网址 = rows.text(2);
        record.标题 = rows.text(3);
        record.帐号 = rows.text(4);
        record.密码 = decrypt(rows.text(5));
        record.备注 = decrypt(rows.text(6));
        record.统计 = rows.int64(7);
        take(record);
    }
}

std::vector<TransferRecord> AccountDatabase::records() {
    std::vector<TransferRecord> records;
    forEachRecord([&records](const TransferRecord& record) { records.push_back(record); });
    return records;
}

void AccountDatabase::addOne(const TransferRecord& record) {
    store::Query change(connection_);
    // One line, so line breaks inside a value reach the engine unchanged.
    change.setSql(QStringList{store::sql::insertRecord(store::recordToStore(record, accountKey_))});
    change.execute();
    if (record.统计 == 0) return;
    const QString number = QString::number(connection_.database().lastInsertRowId());
    change.setSql(QStringList{store::sql::setUseCount(number, record.统计)});
    change.execute();
}

void AccountDatabase::addAll(const std::function<void(const AddBatch& add)>& fill) {
    Transaction transaction(connection_.database());
    fill([this](const std::vector<TransferRecord>& batch) {
        for (const TransferRecord& record : batch) addOne(record);
    });
    transaction.commit();
}

void AccountDatabase::addAll(const std::vector<TransferRecord>& records) {
    addAll([&records](const AddBatch& add) { add(records); });
}

}  // namespace tessavo::maintenance::transfer
