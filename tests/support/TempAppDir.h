#pragma once

#include <QString>
#include <QTemporaryDir>
#include <vector>

#include "store/AccountRecord.h"
#include "store/SqlCipherFile.h"

namespace tessavo::test {

// A temporary application directory, removed with the object, holding by default an
// initial _.udb as `tessavo-db init` makes it.
class TempAppDir {
public:
    enum class Contents { InitialDatabase, Nothing };

    explicit TempAppDir(Contents contents = Contents::InitialDatabase);

    // The directory, with a trailing '/'.
    QString path() const;
    QString databasePath() const;
    // The connection string the program sets for this directory.
    QString connectionString() const;

    // The database file opened with the database password, for setting up and checking
    // rows beside the program's own statements.
    store::SqlCipherFile openDatabase() const;
    // Adds rows with bound values, all in one transaction; a null QString is stored as no
    // value. 编号 is given by the database; 统计 is written as given. Returns the new 编号s.
    std::vector<qint64> addRecords(const std::vector<store::AccountRecord>& records) const;
    qint64 addRecord(const store::AccountRecord& record) const;

private:
    QTemporaryDir directory_;
};

}  // namespace tessavo::test
