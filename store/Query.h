#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "store/ResultSet.h"

namespace tessavo::store {

class Connection;

// A query object of the account database (ADOQuery1, ADOQuery2, ADOQuery_Pass,
// ADOQuery_EnCrypt): a statement text made of lines, which is either opened as a static
// result or executed as a change. Errors are tessavo::Error; those of the result name the
// object (its objectName) first, as "ADOQuery1: ...".
class Query : public QObject {
    Q_OBJECT

public:
    explicit Query(Connection& connection, QObject* parent = nullptr);
    ~Query() override;

    // ---- Statement text. Every change of it closes the open result.
    const QStringList& sql() const { return lines_; }
    void clearSql();
    void addSql(const QString& line);
    // Replaces the text by the lines of `text` (split at its line breaks).
    void setSql(const QString& text);
    void setSql(const QStringList& lines);
    // What the engine receives: every line followed by "\r\n".
    QString statementText() const;

    // ---- Running. The connection opens on the first statement.
    // Runs the statement text and fetches its whole result; any open result is closed first,
    // and stays closed when the statement fails. A text holding more than one statement, or
    // one that gives no rows back, is refused.
    void open();
    // Runs a change statement; returns the number of rows it changed. An open result stays.
    int execute();
    // Closes the result; harmless when closed. Rows kept by closeKeepingRows() go too.
    void close();
    // Closes the result as close() does, but keeps its rows aside until control returns to the
    // event loop, so that reopening the same statement right away need not fetch them again.
    void closeKeepingRows();
    // Opens `lines` from the kept rows when they were fetched by exactly this statement text
    // and nothing has changed the database since: the text becomes `lines`, the rows become
    // the open result with the first row current, as a fresh open() would leave them; true.
    // Otherwise the kept rows go and nothing else happens; false.
    bool reopenKeptRows(const QStringList& lines);
    bool isOpen() const { return result_.has_value(); }
    // The open result for views; nullptr when closed.
    const ResultSet* result() const { return result_ ? &*result_ : nullptr; }

    // ---- The open result. Each of these throws when the result is closed.
    int recordCount() const;
    // 1-based number of the current row; 0 when the result has no rows.
    int recNo() const;
    // Set when the result is empty or a move went past the last row.
    bool eof() const;
    // Set when the result is empty or a move went back past the first row.
    bool bof() const;
    void first();
    void last();
    void next();
    void prior();
    // A move past either end stops at that end's row and sets its flag.
    void moveBy(int rows);
    // A number outside 1..recordCount() is ignored.
    void setRecNo(int recNo);

    int fieldCount() const;
    QStringList fieldNames() const;
    // Fields of the current row as text: a number as its decimal digits, a field without
    // value as empty text; an empty result reads as empty text. Names ignore letter case.
    QString field(int position) const;
    QString fieldByName(const QString& name) const;

    // Deletes the current row from its table, found by the table's primary key column in
    // the result, and drops it from the result; a neighbouring row becomes current.
    void deleteCurrent();

signals:
    // Around every open, close and row removal, so a model can reset itself.
    void resultAboutToChange();
    void resultChanged();
    // After a move that changed the current row, and after every open and row removal.
    void currentRowChanged(int recNo);

private:
    friend class Connection;
    Connection& connection() const;
    [[noreturn]] void fail(const QString& text) const;
    const ResultSet& openResult() const;
    // Puts `result` in place of the open one, which it returns.
    std::optional<ResultSet> replaceResult(std::optional<ResultSet> result);
    template <typename Move>
    void navigate(Move move);

    // What the database was when a result was fetched; equal stamps mean no change between.
    struct DatabaseStamp {
        std::uint64_t statementsRun = 0;  // change statements run through any query
        std::int64_t rowsChanged = 0;     // rows changed on this connection, by any means
        std::int64_t dataVersion = 0;     // moves when another connection commits
        bool operator==(const DatabaseStamp&) const = default;
    };
    DatabaseStamp databaseStamp();
    void dropKeptRows();

    // Rows put aside by closeKeepingRows(), with the statement text that fetched them.
    struct KeptRows {
        ResultSet rows;
        QString statement;
        DatabaseStamp stamp;
    };

    Connection* connection_;
    QStringList lines_;
    std::optional<ResultSet> result_;
    DatabaseStamp resultStamp_;
    std::optional<KeptRows> kept_;
    std::uint64_t keptSerial_ = 0;
};

}  // namespace tessavo::store
