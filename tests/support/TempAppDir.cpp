#include "tests/support/TempAppDir.h"

#include "platform/base/Error.h"
#include "store/ConnectionString.h"
#include "store/InitialDatabase.h"

namespace tessavo::test {

namespace {

void bindTextOrNull(store::SqlStatement& statement, int index, const QString& value) {
    if (value.isNull())
        statement.bindNull(index);
    else
        statement.bindText(index, value);
}

}  // namespace

TempAppDir::TempAppDir(Contents contents) {
    if (!directory_.isValid()) throw Error(QStringLiteral("no temporary directory: ") + directory_.errorString());
    if (contents == Contents::InitialDatabase) store::createInitialDatabase(directory_.path());
}

QString TempAppDir::path() const { return directory_.path() + u'/'; }

QString TempAppDir::databasePath() const { return path() + QString::fromUtf16(store::kDatabaseFileName); }

QString TempAppDir::connectionString() const { return store::connectionStringFor(path()); }

store::SqlCipherFile TempAppDir::openDatabase() const {
    return store::SqlCipherFile(databasePath(), QString::fromUtf16(store::kDatabasePassword));
}

std::vector<qint64> TempAppDir::addRecords(const std::vector<store::AccountRecord>& records) const {
    store::SqlCipherFile database = openDatabase();
    database.execute(QStringLiteral("BEGIN;"));
    store::SqlStatement insert = database.prepare(QStringLiteral(
        "INSERT INTO data (分类, 网址, 标题, 帐号, 密码, 备注, 统计) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"));
    std::vector<qint64> numbers;
    numbers.reserve(records.size());
    for (const store::AccountRecord& record : records) {
        const QString texts[] = {record.分类, record.网址, record.标题, record.帐号, record.密码, record.备注};
        for (int index = 0; index < 6; ++index) bindTextOrNull(insert, index + 1, texts[index]);
        insert.bindInt64(7, record.统计);
        insert.run();
        insert.reset();
        numbers.push_back(database.lastInsertRowId());
    }
    database.execute(QStringLiteral("COMMIT;"));
    return numbers;
}

qint64 TempAppDir::addRecord(const store::AccountRecord& record) const { return addRecords({record}).front(); }

}  // namespace tessavo::test
