#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace tessavo::store {

class RepeatedFields;
class SqlStatement;

// A static result: every row fetched when the query opened, walked in both directions with a
// current row. Rows are kept compactly and turned into QString only field by field when read,
// so a large browse costs little memory and opens quickly: the fields of a row stand back to
// back in large blocks, each in its stored form (see StoredFields.h), and a short field that
// repeats in its column (a category, a login name) is kept once for the whole result.
class ResultSet {
public:
    // The column through which a row is found again in its table, to delete it.
    struct KeyColumn {
        int position = -1;
        QString schema;
        QString table;
        QString column;
    };

    // Reads every row of a freshly prepared statement.
    static ResultSet fetch(SqlStatement& statement);

    int rowCount() const { return static_cast<int>(rows_.size()); }
    bool isEmpty() const { return rows_.empty(); }
    int columnCount() const { return static_cast<int>(columnNames_.size()); }
    const QStringList& columnNames() const { return columnNames_; }
    // Position of the column called `name`, letter case ignored; -1 when there is none.
    int columnIndex(const QString& name) const;
    const std::optional<KeyColumn>& keyColumn() const { return keyColumn_; }

    // The field at a 0-based row and column as text; a field without value is empty text.
    QString text(int row, int column) const;
    // Bytes that are equal for two fields exactly when their texts are; valid while the result lives.
    std::string_view fieldKey(int row, int column) const;
    // The rows, in order, where each different text of the column is met first.
    std::vector<int> firstOccurrences(int column) const;

    // The cursor. recNo() is the 1-based number of the current row, 0 in an empty result.
    int recNo() const { return current_ + 1; }
    // Set when the result is empty or a move went past the last row.
    bool eof() const { return eof_; }
    // Set when the result is empty or a move went back past the first row.
    bool bof() const { return bof_; }
    void first();
    void last();
    // Moves by a signed number of rows. A move past either end stops at that end's row and
    // sets that end's flag; next() at the last row therefore leaves the current row there.
    void moveBy(int rows);
    void next() { moveBy(1); }
    void prior() { moveBy(-1); }
    // Makes the row with this 1-based number current; a number outside the rows is ignored.
    void setRecNo(int recNo);

    // Drops the current row; its neighbour (the next one, or the new last one) becomes current.
    void removeCurrentRow();

private:
    // A field's stored form, and the number of the field kept once it refers to, if it does.
    struct FieldAt {
        std::string_view stored;
        std::optional<std::uint32_t> shared;
    };
    FieldAt fieldAt(int row, int column) const;
    void appendRow(const std::vector<std::string_view>& texts, std::size_t mostSize, RepeatedFields* repeated);
    void appendLargeRow(const std::vector<std::string_view>& texts, std::size_t mostSize);
    // The index of a new block of rows.
    std::uint32_t addBlock(std::unique_ptr<char[]> block);
    // Room in the block being filled for a row of at most `size` bytes, and where the row will be
    // found again; giveBack() then returns what the row did not use.
    char* reserve(std::size_t size, std::uint32_t& position);
    void giveBack(std::size_t unused);
    const char* rowStart(int row) const;
    void resetCursor();
    void moveTo(int row);

    QStringList columnNames_;
    std::optional<KeyColumn> keyColumn_;
    std::vector<std::unique_ptr<char[]>> blocks_;  // the stored rows, each whole in one block
    std::size_t fillBlock_ = 0;                    // the block being filled
    char* fill_ = nullptr;                         // where the next row goes in the block being filled
    std::size_t blockFree_ = 0;                    // and how many bytes that block has left
    // Where each row still in the result begins, in order: its block's index in the high bits,
    // its offset in that block in the low ones (half the size of a pointer per row).
    std::vector<std::uint32_t> rows_;
    std::vector<const char*> shared_;  // the fields kept once, where they stand in the rows
    int current_ = -1;
    bool eof_ = true;
    bool bof_ = true;
};

}  // namespace tessavo::store
