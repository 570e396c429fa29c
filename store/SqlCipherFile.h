#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/base/Error.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tessavo::store {

// One prepared statement of an open SQLCipher file; finalized when it goes.
// Errors are thrown as tessavo::Error with the engine's own text.
class SqlStatement {
public:
    SqlStatement(SqlStatement&&) noexcept = default;
    SqlStatement& operator=(SqlStatement&&) noexcept = default;

    // Parameters count from 1, as the engine counts them.
    void bindText(int index, const QString& value);
    void bindInt64(int index, std::int64_t value);
    void bindNull(int index);

    // Runs to the next row: true when a row is there, false when the statement is done.
    bool step();
    // Runs the statement to its end, ignoring any rows.
    void run();
    // Makes the statement ready to run again; the bound values stay.
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    bool isNull(int column) const;
    // The column's value as the engine writes it as text (a number as its decimal digits,
    // no value as empty text). The view lasts until the next step.
    std::string_view utf8(int column) const;
    // The same text, with an integer spelled into `digits` here: the engine would make a text
    // copy of it on the heap, row after row. The view lasts until the next step, or until
    // `digits` is written again.
    using Digits = std::array<char, 20>;  // "-9223372036854775808"
    std::string_view utf8(int column, Digits& digits) const;
    QString text(int column) const;
    std::int64_t int64(int column) const;

    // True when the statement does not change the database (a query).
    bool isReadOnly() const;
    sqlite3_stmt* handle() const { return statement_.get(); }

private:
    friend class SqlCipherFile;
    struct Finalize {
        void operator()(sqlite3_stmt* statement) const;
    };
    SqlStatement(sqlite3* database, sqlite3_stmt* statement);
    [[noreturn]] void fail() const;

    sqlite3* database_;
    std::unique_ptr<sqlite3_stmt, Finalize> statement_;
};

// Opening found no database under the key given: a wrong key, or a file of another kind.
class NotADatabaseError : public Error {
public:
    using Error::Error;
};

// A change found the file it had open replaced under its name (a compaction or a change of
// key put a new file there): the change was not written, to the old file or the new.
class FileReplacedError : public Error {
public:
    using Error::Error;
};

// An SQLCipher database file opened with its key. The key is checked right after opening by
// reading the schema, so a wrong key or a file that is no database fails here, not later.
// The file format is fixed, not left to the library's defaults: SQLCipher 3's settings are set
// on every file opened, created or attached, so that a build against a later library still
// reads and writes the same files.
class SqlCipherFile {
public:
    enum class Mode {
        OpenExisting,  // the file must exist
        CreateNew,     // the file is made when it does not exist
    };

    // A wrong key or a file that is no database throws NotADatabaseError.
    SqlCipherFile(const QString& path, const QString& key, Mode mode = Mode::OpenExisting);
    SqlCipherFile(SqlCipherFile&&) noexcept = default;
    SqlCipherFile& operator=(SqlCipherFile&&) noexcept = default;

    const QString& path() const { return path_; }

    // Prepares exactly one statement; a text holding a second statement is refused.
    SqlStatement prepare(const QString& sql);
    // Runs a script of any number of statements, ignoring their rows.
    void execute(const QString& script);

    // Rows changed by the last finished change statement.
    int changes() const;
    std::int64_t lastInsertRowId() const;

    // Attaches another SQLCipher file (made when missing) under a schema name, with its key.
    void attach(const QString& path, const QString& key, const QString& schema);
    void detach(const QString& schema);
    // True when the main schema has a table of this name (in any case, as SQL names it).
    bool holdsTable(const QString& name);

    sqlite3* handle() const { return database_.get(); }

private:
    struct Close {
        void operator()(sqlite3* database) const;
    };
    [[noreturn]] void fail() const;
    void verifyKey();
    int cipherLibraryMajor();

    QString path_;
    std::unique_ptr<sqlite3, Close> database_;
    int libraryMajor_ = 0;
};

// Writes an identifier in double quotes, each double quote inside doubled.
QString quotedIdentifier(const QString& name);

}  // namespace tessavo::store
