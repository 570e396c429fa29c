#include "store/ResultSet.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/base/Error.h"
#include "store/SqlCipherFile.h"

#include <sqlite3.h>

namespace tessavo::store {

namespace {

// A block of rows, with the allocator's own header, fills whole pages.
constexpr std::size_t kBlockSize = 256 * 1024 - 64;
// A row this large gets a block of its own, so the block being filled is not left half empty.
constexpr std::size_t kOwnBlockSize = kBlockSize / 4;
// A row's position: the offset in its block takes the low bits, the block's index the others.
constexpr int kOffsetBits = 18;
static_assert(kBlockSize < (std::size_t{1} << kOffsetBits));
constexpr std::size_t kMaxBlocks = std::size_t{1} << (32 - kOffsetBits);

// The value of each upper-case hexadecimal digit; kNotHex marks every other byte. Cipher texts
// are runs of random digits, so a test per byte that branches on digit or letter would guess
// wrong half the time: the table lets a whole field be judged and packed without branching.
constexpr std::uint8_t kNotHex = 0x10;
constexpr std::array<std::uint8_t, 256> kHexValue = [] {
    std::array<std::uint8_t, 256> values{};
    values.fill(kNotHex);
    for (int digit = 0; digit < 10; ++digit) values['0' + digit] = static_cast<std::uint8_t>(digit);
    for (int letter = 0; letter < 6; ++letter) values['A' + letter] = static_cast<std::uint8_t>(10 + letter);
    return values;
}();

std::uint8_t hexValue(char digit) { return kHexValue[static_cast<unsigned char>(digit)]; }

// The two loops over digits below stay plain byte-by-byte code: the compiler's vector form of
// them spills to the stack and is slower.
#if defined(__GNUC__) && !defined(__clang__)
#define TESSAVO_SCALAR_LOOP __attribute__((optimize("no-tree-vectorize")))
#else
#define TESSAVO_SCALAR_LOOP
#endif

// Cipher texts: a non-empty, even run of the digits 0-9 and A-F. Most other fields fail at
// their first byte.
TESSAVO_SCALAR_LOOP bool isPackable(std::string_view text) {
    if (text.empty() || text.size() % 2 != 0 || hexValue(text.front()) == kNotHex) return false;
    std::uint8_t seen = 0;
    for (const char byte : text) seen |= hexValue(byte);
    return (seen & kNotHex) == 0;
}

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

TESSAVO_SCALAR_LOOP char* packDigits(char* at, std::string_view digits) {
    for (std::size_t digit = 0; digit < digits.size(); digit += 2)
        *at++ = static_cast<char>(hexValue(digits[digit]) << 4 | hexValue(digits[digit + 1]));
    return at;
}

char* writeField(char* at, std::string_view text, bool packed) {
    return packed ? packDigits(at, text) : std::copy(text.begin(), text.end(), at);
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
        std::uint32_t position = 0;
        char* at = result.reserve(rowSize, position);
        result.rows_.push_back(position);
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

char* ResultSet::reserve(std::size_t size, std::uint32_t& position) {
    const bool ownBlock = size > kOwnBlockSize;
    if (ownBlock || size > blockFree_) {
        // Thousands of blocks are gigabytes of rows: far more than any account list.
        if (blocks_.size() == kMaxBlocks) throw Error(QStringLiteral("The result is too large to keep in memory."));
        char* const block =
            blocks_.emplace_back(std::make_unique_for_overwrite<char[]>(ownBlock ? size : kBlockSize)).get();
        const std::size_t index = blocks_.size() - 1;
        if (ownBlock) {
            position = static_cast<std::uint32_t>(index << kOffsetBits);
            return block;
        }
        fillBlock_ = index;
        fill_ = block;
        blockFree_ = kBlockSize;
    }
    position = static_cast<std::uint32_t>((fillBlock_ << kOffsetBits) | (kBlockSize - blockFree_));
    char* const at = fill_;
    fill_ += size;
    blockFree_ -= size;
    return at;
}

const char* ResultSet::rowStart(int row) const {
    const std::uint32_t position = rows_[static_cast<std::size_t>(row)];
    return blocks_[position >> kOffsetBits].get() + (position & ((1u << kOffsetBits) - 1));
}

int ResultSet::columnIndex(const QString& name) const {
    for (int column = 0; column < columnCount(); ++column)
        if (columnNames_[column].compare(name, Qt::CaseInsensitive) == 0) return column;
    return -1;
}

ResultSet::StoredField ResultSet::storedField(int row, int column) const {
    const char* at = rowStart(row);
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
