#include "store/ResultSet.h"

#include <algorithm>

#include "store/SqlCipherFile.h"

#include <sqlite3.h>

namespace tessavo::store {

namespace {

constexpr std::size_t kFirstRows = 256;
constexpr std::size_t kFirstBytesPerField = 16;

QString utf8Text(const char* text) { return QString::fromUtf8(text != nullptr ? text : ""); }

// The first column of the result that is the primary key of the table it comes from.
std::optional<ResultSet::KeyColumn> findKeyColumn(SqlStatement& statement) {
    sqlite3_stmt* const handle = statement.handle();
    for (int column = 0; column < statement.columnCount(); ++column) {
        const char* schema = sqlite3_column_database_name(handle, column);
        const char* table = sqlite3_column_table_name(handle, column);
        const char* origin = sqlite3_column_origin_name(handle, column);
        if (schema == nullptr || table == nullptr || origin == nullptr) continue;
        int primaryKey = 0;
        if (sqlite3_table_column_metadata(sqlite3_db_handle(handle), schema, table, origin, nullptr, nullptr, nullptr,
                                          &primaryKey, nullptr) != SQLITE_OK)
            continue;
        if (primaryKey != 0) return ResultSet::KeyColumn{column, utf8Text(schema), utf8Text(table), utf8Text(origin)};
    }
    return std::nullopt;
}

}  // namespace

ResultSet ResultSet::fetch(SqlStatement& statement) {
    ResultSet result;
    const int columns = statement.columnCount();
    for (int column = 0; column < columns; ++column) result.columnNames_.append(statement.columnName(column));
    result.keyColumn_ = findKeyColumn(statement);

    const std::size_t fields = static_cast<std::size_t>(columns);
    result.starts_.reserve(kFirstRows * fields + 1);
    result.bytes_.reserve(kFirstRows * fields * kFirstBytesPerField);
    result.starts_.push_back(0);
    int stored = 0;
    while (statement.step()) {
        for (int column = 0; column < columns; ++column) {
            result.bytes_.append(statement.utf8(column));
            result.starts_.push_back(result.bytes_.size());
        }
        result.rows_.push_back(stored++);
    }
    // A result of many rows may have grown its buffers to nearly twice their use.
    if (result.bytes_.capacity() > result.bytes_.size() + result.bytes_.size() / 4) result.bytes_.shrink_to_fit();
    result.resetCursor();
    return result;
}

int ResultSet::columnIndex(const QString& name) const {
    for (int column = 0; column < columnCount(); ++column)
        if (columnNames_[column].compare(name, Qt::CaseInsensitive) == 0) return column;
    return -1;
}

std::size_t ResultSet::cellIndex(int row, int column) const {
    return static_cast<std::size_t>(rows_[static_cast<std::size_t>(row)]) * columnNames_.size() +
           static_cast<std::size_t>(column);
}

std::string_view ResultSet::utf8(int row, int column) const {
    const std::size_t cell = cellIndex(row, column);
    return std::string_view(bytes_).substr(starts_[cell], starts_[cell + 1] - starts_[cell]);
}

QString ResultSet::text(int row, int column) const {
    const std::string_view field = utf8(row, column);
    return QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size()));
}

void ResultSet::resetCursor() {
    current_ = rows_.empty() ? -1 : 0;
    eof_ = bof_ = rows_.empty();
}

void ResultSet::moveTo(int row) {
    current_ = row;
    eof_ = bof_ = false;
}

void ResultSet::first() {
    if (!isEmpty()) moveTo(0);
}

void ResultSet::last() {
    if (!isEmpty()) moveTo(rowCount() - 1);
}

void ResultSet::moveBy(int rows) {
    if (isEmpty() || rows == 0) return;
    const long long target = static_cast<long long>(current_) + rows;
    if (target >= rowCount()) {
        moveTo(rowCount() - 1);
        eof_ = true;
    } else if (target < 0) {
        moveTo(0);
        bof_ = true;
    } else {
        moveTo(static_cast<int>(target));
    }
}

void ResultSet::setRecNo(int recNo) {
    if (recNo >= 1 && recNo <= rowCount()) moveTo(recNo - 1);
}

void ResultSet::removeCurrentRow() {
    if (isEmpty()) return;
    rows_.erase(rows_.begin() + current_);
    if (isEmpty()) {
        resetCursor();
    } else {
        moveTo(std::min(current_, rowCount() - 1));
    }
}

}  // namespace tessavo::store
