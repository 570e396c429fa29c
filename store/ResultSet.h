#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessavo::store {

class SqlStatement;

// A static result: every row fetched when the query opened, walked in both directions with a
// current row. Fields are kept as the engine's text in one flat UTF-8 buffer and turned into
// QString only when read, so a large browse costs little memory and opens quickly.
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
    std::string_view utf8(int row, int column) const;

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
    std::size_t cellIndex(int row, int column) const;
    void resetCursor();
    void moveTo(int row);

    QStringList columnNames_;
    std::optional<KeyColumn> keyColumn_;
    std::string bytes_;                // every field's text, back to back
    std::vector<std::size_t> starts_;  // where each cell begins in bytes_, plus the end
    std::vector<int> rows_;            // the stored rows still in the result, in order
    int current_ = -1;
    bool eof_ = true;
    bool bof_ = true;
};

}  // namespace tessavo::store
