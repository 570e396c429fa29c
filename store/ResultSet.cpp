#include "store/ResultSet.h"

#include <algorithm>

#include "store/SqlCipherFile.h"

#include <sqlite3.h>

namespace tessavo::store {

namespace {

// A block of rows, with the allocator's own header, fills whole pages.
constexpr std::size_t kBlockSize = 256 * 1024 - 64;
// A row this large gets a block of its own, so the block being filled is not left half empty.
constexpr std::size_t kOwnBlockSize = kBlockSize / 4;

// Cipher texts: a non-empty, even run of the digits 0-9 and A-F.
bool isPackable(std::string_view text) {
    return !text.empty() && text.size() % 2 == 0 && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
    });
}

int digitValue(char digit) { return digit <= '9' ? digit - '0' : digit - 'A' + 10; }

// A field's header is twice its stored length, plus one when packed, written 7 bits a byte,
// lowest first, the high bit set on every byte but the last.
std::size_t headerOf(std::size_t storedLength, bool packed) { return storedLength * 2 + (packed ? 1 : 0); }

std::size_t headerSize(std::size_t header) {
    std::size_t size = 1;
    for (; header >= 0x80; header >>= 7) ++size;
    return size;
}

char* writeHeader(char* at, std::size_t header) {
    for (; header >= 0x80; header >>= 7) *at++ = static_cast<char>(header | 0x80);
    *at++ = static_cast<char>(header);
    return at;
}

const char* readHeader(const char* at, std::size_t& header) {
    header = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        header |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if (byte < 0x80) return at;
    }
}

char* writeField(char* at, std::string_view text, bool packed) {
    if (!packed) return std::copy(text.begin(), text.end(), at);
    for (std::size_t digit = 0; digit < text.size(); digit += 2)
        *at++ = static_cast<char>(digitValue(text[digit]) << 4 | digitValue(text[digit + 1]));
    return at;
}

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

    std::vector<std::string_view> texts(static_cast<std::size_t>(columns));
    std::vector<char> packed(static_cast<std::size_t>(columns));
    while (statement.step()) {
        std::size_t rowSize = 0;
        for (std::size_t column = 0; column < texts.size(); ++column) {
            texts[column] = statement.utf8(static_cast<int>(column));
            packed[column] = isPackable(texts[column]);
            const std::size_t stored = packed[column] ? texts[column].size() / 2 : texts[column].size();
            rowSize += headerSize(headerOf(stored, packed[column])) + stored;
        }
        char* at = result.reserve(rowSize);
        result.rows_.push_back(at);
        for (std::size_t column = 0; column < texts.size(); ++column) {
            const std::size_t stored = packed[column] ? texts[column].size() / 2 : texts[column].size();
            at = writeHeader(at, headerOf(stored, packed[column]));
            at = writeField(at, texts[column], packed[column]);
        }
    }
    result.rows_.shrink_to_fit();
    result.resetCursor();
    return result;
}

char* ResultSet::reserve(std::size_t size) {
    if (size > kOwnBlockSize) return blocks_.emplace_back(std::make_unique_for_overwrite<char[]>(size)).get();
    if (size > blockFree_) {
        fill_ = blocks_.emplace_back(std::make_unique_for_overwrite<char[]>(kBlockSize)).get();
        blockFree_ = kBlockSize;
    }
    char* const at = fill_;
    fill_ += size;
    blockFree_ -= size;
    return at;
}

int ResultSet::columnIndex(const QString& name) const {
    for (int column = 0; column < columnCount(); ++column)
        if (columnNames_[column].compare(name, Qt::CaseInsensitive) == 0) return column;
    return -1;
}

ResultSet::StoredField ResultSet::storedField(int row, int column) const {
    const char* at = rows_[static_cast<std::size_t>(row)];
    for (int skipped = 0;; ++skipped) {
        std::size_t header = 0;
        const char* const bytes = readHeader(at, header);
        const std::size_t size = header >> 1;
        if (skipped == column)
            return StoredField{std::string_view(at, static_cast<std::size_t>(bytes - at)),
                               std::string_view(bytes, size), (header & 1) != 0};
        at = bytes + size;
    }
}

std::string_view ResultSet::fieldKey(int row, int column) const {
    const StoredField field = storedField(row, column);
    return std::string_view(field.header.data(), field.header.size() + field.bytes.size());
}

QString ResultSet::text(int row, int column) const {
    const StoredField field = storedField(row, column);
    if (!field.packed) return QString::fromUtf8(field.bytes.data(), static_cast<qsizetype>(field.bytes.size()));
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    QString text(static_cast<qsizetype>(field.bytes.size() * 2), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : field.bytes) {
        const auto value = static_cast<unsigned char>(byte);
        *out++ = QChar(kDigits[value >> 4]);
        *out++ = QChar(kDigits[value & 0x0F]);
    }
    return text;
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
