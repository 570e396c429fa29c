#include "bench/RawDatabase.h"

#include <QByteArray>
#include <QFile>
#include <stdexcept>
#include <string>

#include "store/ConnectionString.h"

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

namespace tessavo::bench {
namespace {

[[noreturn]] void fail(sqlite3* database) { throw std::runtime_error(sqlite3_errmsg(database)); }

QByteArray passwordBytes() { return QString::fromUtf16(store::kDatabasePassword).toUtf8(); }

}  // namespace

void RawDatabase::Close::operator()(sqlite3* database) const { sqlite3_close_v2(database); }

RawDatabase::RawDatabase(const QString& path) {
    sqlite3* opened = nullptr;
    // The program's own connection settings: one thread, no locks in the engine.
    const int code = sqlite3_open_v2(QFile::encodeName(path).constData(), &opened,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    database_.reset(opened);
    if (code != SQLITE_OK) fail(opened);
    const QByteArray key = passwordBytes();
    if (sqlite3_key(opened, key.constData(), static_cast<int>(key.size())) != SQLITE_OK) fail(opened);
    // The key is derived on the first read; the program's connection has done so at the login
    // gate, before any figure is taken.
    selectAll(QStringLiteral("SELECT count(*) FROM sqlite_master"));
}

int RawDatabase::selectAll(const QString& statement) {
    const QByteArray text = statement.toUtf8();
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v2(database_.get(), text.constData(), static_cast<int>(text.size()), &prepared, nullptr) !=
        SQLITE_OK)
        fail(database_.get());
    const int columns = sqlite3_column_count(prepared);
    int rows = 0;
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(prepared)) == SQLITE_ROW) {
        for (int column = 0; column < columns; ++column) {
            sqlite3_column_text(prepared, column);
            sqlite3_column_bytes(prepared, column);
        }
        ++rows;
    }
    sqlite3_finalize(prepared);
    if (code != SQLITE_DONE) fail(database_.get());
    return rows;
}

void RawDatabase::execute(const QString& statement) {
    if (sqlite3_exec(database_.get(), statement.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(database_.get());
}

void RawDatabase::exportTo(const QString& destination) {
    const QString key = QString::fromUtf16(store::kDatabasePassword);
    execute(QStringLiteral("ATTACH DATABASE '%1' AS compacted KEY '%2'; SELECT sqlcipher_export('compacted'); "
                           "DETACH DATABASE compacted;")
                .arg(destination, key));
}

}  // namespace tessavo::bench
