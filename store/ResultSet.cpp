#include "store/ResultSet.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>

#include "platform/base/Error.h"
#include "store/RepeatedFields.h"
#include "store/SqlCipherFile.h"
#include "store/StoredFields.h"

#include <sqlite3.h>

namespace tessavo::store {

namespace {

// A block of rows, with the allocator's own header, fills whole pages.
constexpr std::size_t kBlockSize = 256 * 1024 - 64;
// A row that may need more than this gets a block of its own.
constexpr std::size_t kOwnBlockSize = kBlockSize / 4;
// A row's position: the offset in its block takes the low bits, the block's index the others.
constexpr int kOffsetBits = 18;
static_assert(kBlockSize < (std::size_t{1} << kOffsetBits));
constexpr std::size_t kMaxBlocks = std::size_t{1} << (32 - kOffsetBits);
// Rows read before repeated fields are looked for.
constexpr std::size_t kRowsBeforeSharing = 256;

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
    std::vector<SqlStatement::Digits> digits(texts.size());
    // A short result is not worth the tables that find repeats.
    std::optional<RepeatedFields> repeated;
    while (statement.step()) {
        if (result.rows_.size() == kRowsBeforeSharing) repeated.emplace(columns, result.shared_);
        std::size_t mostSize = 0;
        for (std::size_t column = 0; column < texts.size(); ++column) {
            texts[column] = statement.utf8(static_cast<int>(column), digits[column]);
            mostSize += StoredField::mostSize(texts[column].size());
        }
        result.appendRow(texts, mostSize, repeated ? &*repeated : nullptr);
    }
    result.rows_.shrink_to_fit();
    result.shared_.shrink_to_fit();
    result.resetCursor();
    return result;
}

// Each field is written in its stored form straight into the row; one that repeats an earlier
// field of its column is then written over by the shorter reference to that field.
void ResultSet::appendRow(const std::vector<std::string_view>& texts, std::size_t mostSize, RepeatedFields* repeated) {
    if (mostSize > kOwnBlockSize) {
        appendLargeRow(texts, mostSize);
        return;
    }
    std::uint32_t position = 0;
    char* const start = reserve(mostSize, position);
    char* at = start;
    for (std::size_t column = 0; column < texts.size(); ++column) {
        char* end = StoredField::write(at, texts[column]);
        const auto size = static_cast<std::size_t>(end - at);
        if (repeated != nullptr && repeated->watches(static_cast<int>(column), size))
            if (const auto shared = repeated->repeatOf(static_cast<int>(column), {at, size}))
                end = StoredField::writeReference(at, *shared);
        at = end;
    }
    giveBack(mostSize - static_cast<std::size_t>(at - start));
    rows_.push_back(position);
}

// A row this large gets a block of its own, so that the block being filled is not left half
// empty. It is written aside first, and its block takes exactly its size. Its fields are not
// looked at for repeats: the finder remembers where a field stands, and these are moved.
void ResultSet::appendLargeRow(const std::vector<std::string_view>& texts, std::size_t mostSize) {
    std::vector<char> aside(mostSize);
    char* at = aside.data();
    for (const std::string_view text : texts) at = StoredField::write(at, text);
    const auto size = static_cast<std::size_t>(at - aside.data());
    auto block = std::make_unique_for_overwrite<char[]>(size);
    std::copy_n(aside.data(), size, block.get());
    rows_.push_back(addBlock(std::move(block)) << kOffsetBits);
}

std::uint32_t ResultSet::addBlock(std::unique_ptr<char[]> block) {
    // Thousands of blocks are gigabytes of rows: far more than any account list.
    if (blocks_.size() == kMaxBlocks) throw Error(QStringLiteral("The result is too large to keep in memory."));
    blocks_.push_back(std::move(block));
    return static_cast<std::uint32_t>(blocks_.size() - 1);
}

char* ResultSet::reserve(std::size_t size, std::uint32_t& position) {
    if (size > blockFree_) {
        fillBlock_ = addBlock(std::make_unique_for_overwrite<char[]>(kBlockSize));
        fill_ = blocks_.back().get();
        blockFree_ = kBlockSize;
    }
    position = static_cast<std::uint32_t>((fillBlock_ << kOffsetBits) | (kBlockSize - blockFree_));
    char* const at = fill_;
    fill_ += size;
    blockFree_ -= size;
    return at;
}

void ResultSet::giveBack(std::size_t unused) {
    fill_ -= unused;
    blockFree_ += unused;
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

ResultSet::FieldAt ResultSet::fieldAt(int row, int column) const {
    const char* at = rowStart(row);
    for (int skipped = 0;; ++skipped) {
        std::string_view stored;
        bool isReference = false;
        std::uint32_t shared = 0;
        at = StoredField::next(at, stored, isReference, shared);
        if (skipped < column) continue;
        if (!isReference) return {stored, std::nullopt};
        StoredField::next(shared_[shared], stored, isReference, shared);
        return {stored, shared};
    }
}

std::string_view ResultSet::fieldKey(int row, int column) const { return fieldAt(row, column).stored; }

std::vector<int> ResultSet::firstOccurrences(int column) const {
    std::vector<int> rows;
    std::unordered_set<std::string_view> seen;
    // A field kept once for the result is recognised by its number alone after its first
    // reference: in a long list nearly every repeat is one of these.
    std::vector<bool> sharedSeen(shared_.size());
    for (int row = 0; row < rowCount(); ++row) {
        const FieldAt field = fieldAt(row, column);
        if (field.shared) {
            if (sharedSeen[*field.shared]) continue;
            sharedSeen[*field.shared] = true;
        }
        if (seen.insert(field.stored).second) rows.push_back(row);
    }
    return rows;
}

QString ResultSet::text(int row, int column) const { return StoredField::text(fieldKey(row, column)); }

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
