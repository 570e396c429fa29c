#include "store/SqlCipherFile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <charconv>

#include "platform/base/Error.h"
#include "platform/base/Wipe.h"

// The key routines of SQLCipher are declared only for builds that carry the codec.
#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

namespace tessavo::store {

namespace {

QString engineText(sqlite3* database) { return QString::fromUtf8(sqlite3_errmsg(database)); }

// The engine's failure as an error; the engine's own text for a replaced file ("attempt to
// write a readonly database") would send the user looking at the file's rights.
[[noreturn]] void throwEngineError(sqlite3* database, const QString& text) {
    if (sqlite3_extended_errcode(database) == SQLITE_READONLY_DBMOVED)
        throw FileReplacedError(
            QStringLiteral("The database file was replaced while this change was under way (a "
                           "compaction or a change of its key); the change was not written."));
    throw Error(text);
}

// True when the text from `tail` on holds nothing but blanks, comments and empty statements.
bool holdsNoFurtherStatement(sqlite3* database, const char* tail, const char* end) {
    while (tail < end) {
        sqlite3_stmt* next = nullptr;
        const char* rest = nullptr;
        const int code = sqlite3_prepare_v2(database, tail, static_cast<int>(end - tail), &next, &rest);
        if (code != SQLITE_OK || next != nullptr) {
            sqlite3_finalize(next);
            return false;
        }
        if (rest == tail) break;
        tail = rest;
    }
    return true;
}

// The file name as an absolute "file:" URI; an existing file only is opened in mode "rw".
QByteArray fileUri(const QString& path, SqlCipherFile::Mode mode) {
    const QByteArray absolute = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    QByteArray uri = QByteArrayLiteral("file://") + absolute.toPercentEncoding("/");
    if (mode == SqlCipherFile::Mode::OpenExisting) uri += QByteArrayLiteral("?mode=rw");
    return uri;
}

// The file format of every database the program reads or writes, whatever the library's own
// defaults: that of SQLCipher 3 (1024-byte pages, 64 000 PBKDF2-HMAC-SHA1 iterations, an
// HMAC-SHA1 on every page). Libraries from version 4 on also know it as compatibility 3;
// version 3 has the SHA1 algorithms fixed and takes the rest one by one.
struct CipherSetting {
    const char* name;  // the per-file pragma
    const char* value;
    int fromLibraryMajor;
};
constexpr CipherSetting kCipherFormat[] = {
    {"cipher_compatibility", "3", 4},
    {"cipher_page_size", "1024", 3},
    {"kdf_iter", "64000", 3},
    {"cipher_use_hmac", "ON", 3},
    {"cipher_hmac_algorithm", "HMAC_SHA1", 4},
    {"cipher_kdf_algorithm", "PBKDF2_HMAC_SHA1", 4},
};

// The settings for the file of `schema`, or with an empty schema the library's defaults, which
// a file being attached is read with at once.
QString cipherFormatSettings(int libraryMajor, const QString& schema) {
    QString script;
    for (const CipherSetting& setting : kCipherFormat) {
        if (libraryMajor < setting.fromLibraryMajor) continue;
        QString name = QString::fromLatin1(setting.name);
        if (schema.isEmpty()) {
            name =
                QStringLiteral("cipher_default_") + (name.startsWith(QStringLiteral("cipher_")) ? name.mid(7) : name);
        } else {
            name = quotedIdentifier(schema) + u'.' + name;
        }
        script += QStringLiteral("PRAGMA %1 = %2;").arg(name, QString::fromLatin1(setting.value));
    }
    return script;
}

}  // namespace

// ---- SqlStatement

void SqlStatement::Finalize::operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }

SqlStatement::SqlStatement(sqlite3* database, sqlite3_stmt* statement) : database_(database), statement_(statement) {}

void SqlStatement::fail() const { throwEngineError(database_, engineText(database_)); }

void SqlStatement::bindText(int index, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    if (sqlite3_bind_text(handle(), index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        fail();
}

void SqlStatement::bindInt64(int index, std::int64_t value) {
    if (sqlite3_bind_int64(handle(), index, value) != SQLITE_OK) fail();
}

void SqlStatement::bindNull(int index) {
    if (sqlite3_bind_null(handle(), index) != SQLITE_OK) fail();
}

bool SqlStatement::step() {
    switch (sqlite3_step(handle())) {
        case SQLITE_ROW:
            return true;
        case SQLITE_DONE:
            return false;
        default:
            fail();
    }
}

void SqlStatement::run() {
    while (step()) {
    }
}

void SqlStatement::reset() { sqlite3_reset(handle()); }

int SqlStatement::columnCount() const { return sqlite3_column_count(handle()); }

QString SqlStatement::columnName(int column) const { return QString::fromUtf8(sqlite3_column_name(handle(), column)); }

bool SqlStatement::isNull(int column) const { return sqlite3_column_type(handle(), column) == SQLITE_NULL; }

namespace {

// A column's value as the engine writes it as text; a value without text (none, or no memory
// for it) is empty. The text must be asked for before its length, so the length is that of the
// text form. Values are read through sqlite3_column_value: the connection is opened for one
// thread, so a value needs no protection of its own, and a result that reads every column of
// every row is spared the checks of the other column calls.
std::string_view textOf(sqlite3_value* value) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    if (text == nullptr) return {};
    return {text, static_cast<std::size_t>(sqlite3_value_bytes(value))};
}

}  // namespace

std::string_view SqlStatement::utf8(int column) const { return textOf(sqlite3_column_value(handle(), column)); }

std::string_view SqlStatement::utf8(int column, Digits& digits) const {
    sqlite3_value* const value = sqlite3_column_value(handle(), column);
    if (sqlite3_value_type(value) != SQLITE_INTEGER) return textOf(value);
    const auto spelled = std::to_chars(digits.data(), digits.data() + digits.size(), sqlite3_value_int64(value));
    return {digits.data(), static_cast<std::size_t>(spelled.ptr - digits.data())};
}

QString SqlStatement::text(int column) const {
    const std::string_view bytes = utf8(column);
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::int64_t SqlStatement::int64(int column) const { return sqlite3_column_int64(handle(), column); }

bool SqlStatement::isReadOnly() const { return sqlite3_stmt_readonly(handle()) != 0; }

// ---- SqlCipherFile

namespace {
constexpr int kBusyWaitMilliseconds = 5000;
}  // namespace

void SqlCipherFile::Close::operator()(sqlite3* database) const { sqlite3_close_v2(database); }

SqlCipherFile::SqlCipherFile(const QString& path, const QString& key, Mode mode) : path_(path) {
    // The connection may create files (ATTACH of a new file needs it); the URI keeps an
    // existing main file from being made. A connection is only ever used by the thread that
    // opened it, so the engine's locks around every call are left out.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    sqlite3* opened = nullptr;
    const int code = sqlite3_open_v2(fileUri(path, mode).constData(), &opened, flags, nullptr);
    database_.reset(opened);  // the engine hands out a handle even when opening fails
    if (code != SQLITE_OK) fail();
    // Another program reading the file (the transfer tool, a backup) holds it for a moment: a
    // change waits for it rather than failing with "database is locked".
    sqlite3_busy_timeout(handle(), kBusyWaitMilliseconds);
    libraryMajor_ = cipherLibraryMajor();
    if (libraryMajor_ < 3) throw Error(QStringLiteral("The database library cannot read SQLCipher 3 files."));
    QByteArray keyBytes = key.toUtf8();
    const int keyed = sqlite3_key(handle(), keyBytes.constData(), static_cast<int>(keyBytes.size()));
    platform::wipe(keyBytes);
    if (keyed != SQLITE_OK) fail();
    // Before the first read derives the key from the password.
    execute(cipherFormatSettings(libraryMajor_, QStringLiteral("main")));
    verifyKey();
}

void SqlCipherFile::fail() const {
    if (!database_) throw Error(QStringLiteral("out of memory"));
    throwEngineError(handle(), engineText(handle()));
}

void SqlCipherFile::verifyKey() {
    try {
        execute(QStringLiteral("SELECT count(*) FROM sqlite_master;"));
    } catch (const Error& error) {
        if (sqlite3_errcode(handle()) == SQLITE_NOTADB) throw NotADatabaseError(std::string(error.what()));
        throw;
    }
}

// The library's major version, from "3.4.1" or "4.5.5 community"; 0 for an SQLite without
// encryption, which answers nothing.
int SqlCipherFile::cipherLibraryMajor() {
    SqlStatement version = prepare(QStringLiteral("PRAGMA cipher_version"));
    return version.step() ? version.text(0).section(u'.', 0, 0).toInt() : 0;
}

bool SqlCipherFile::holdsTable(const QString& name) {
    SqlStatement table =
        prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE"));
    table.bindText(1, name);
    return table.step();
}

SqlStatement SqlCipherFile::prepare(const QString& sql) {
    const QByteArray utf8 = sql.toUtf8();
    const char* const begin = utf8.constData();
    const char* const end = begin + utf8.size();
    sqlite3_stmt* prepared = nullptr;
    const char* tail = nullptr;
    const int code = sqlite3_prepare_v2(handle(), begin, static_cast<int>(utf8.size()), &prepared, &tail);
    SqlStatement statement(handle(), prepared);
    if (code != SQLITE_OK) fail();
    if (prepared == nullptr) throw Error(QStringLiteral("The statement text holds no statement."));
    if (!holdsNoFurtherStatement(handle(), tail, end))
        throw Error(QStringLiteral("The statement text holds more than one statement."));
    return statement;
}

void SqlCipherFile::execute(const QString& script) {
    char* message = nullptr;
    if (sqlite3_exec(handle(), script.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK) return;
    const QString text = message != nullptr ? QString::fromUtf8(message) : engineText(handle());
    sqlite3_free(message);
    throwEngineError(handle(), text);
}

int SqlCipherFile::changes() const { return sqlite3_changes(handle()); }

std::int64_t SqlCipherFile::lastInsertRowId() const { return sqlite3_last_insert_rowid(handle()); }

void SqlCipherFile::attach(const QString& path, const QString& key, const QString& schema) {
    // The defaults are the process's own: every file it touches has this format.
    execute(cipherFormatSettings(libraryMajor_, QString()));
    SqlStatement statement = prepare(QStringLiteral("ATTACH DATABASE ?1 AS %1 KEY ?2").arg(quotedIdentifier(schema)));
    statement.bindText(1, path);
    statement.bindText(2, key);
    statement.run();
    execute(cipherFormatSettings(libraryMajor_, schema));
}

void SqlCipherFile::detach(const QString& schema) {
    prepare(QStringLiteral("DETACH DATABASE %1").arg(quotedIdentifier(schema))).run();
}

QString quotedIdentifier(const QString& name) {
    QString doubled = name;
    doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

}  // namespace tessavo::store
