#include "store/Query.h"

#include <QRegularExpression>
#include <utility>

#include "platform/base/Error.h"
#include "platform/process/FreedMemory.h"
#include "store/Connection.h"
#include "store/SqlCipherFile.h"

#include <sqlite3.h>

namespace tessavo::store {

namespace {

// Change statements run through any query object of the process. Counting them all, not only
// those of one connection, errs on the safe side for rows kept for reuse.
std::uint64_t statementsRun = 0;

// Below this many rows the engine's cache and the memory its sort freed are a few megabytes that
// the next statement reuses at once: giving them back would cost every refresh more time than
// the memory is worth.
constexpr int kRowsWorthReleasingMemory = 25000;

QString statementTextOf(const QStringList& lines) {
    QString text;
    for (const QString& line : lines) text += line + QStringLiteral("\r\n");
    return text;
}

}  // namespace

Query::Query(Connection& connection, QObject* parent) : QObject(parent), connection_(&connection) {
    connection.attach(this);
}

Query::~Query() {
    close();  // a view over the result empties before the result goes
    if (connection_ != nullptr) connection_->detach(this);
}

Connection& Query::connection() const {
    if (connection_ == nullptr) fail(QStringLiteral("The query has no connection."));
    return *connection_;
}

void Query::fail(const QString& text) const {
    throw Error(objectName().isEmpty() ? text : objectName() + QStringLiteral(": ") + text);
}

// ---- Statement text

void Query::clearSql() { setSql(QStringList()); }

void Query::addSql(const QString& line) {
    close();
    lines_.append(line);
}

void Query::setSql(const QString& text) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(lineBreak);
    if (text.isEmpty() || lines.last().isEmpty()) lines.removeLast();  // a final break ends the last line
    setSql(lines);
}

void Query::setSql(const QStringList& lines) {
    close();
    lines_ = lines;
}

QString Query::statementText() const { return statementTextOf(lines_); }

// ---- Running

void Query::open() {
    close();
    {
        SqlStatement statement = connection().database().prepare(statementText());
        if (statement.columnCount() == 0) fail(QStringLiteral("The statement does not return a result set."));
        const DatabaseStamp stamp = databaseStamp();
        replaceResult(ResultSet::fetch(statement));
        resultStamp_ = stamp;
    }
    // After a long result the engine's page cache holds what the next statement reads anew
    // anyway, and the memory it sorted in is freed between blocks still in use: both go back.
    if (result_ && result_->rowCount() >= kRowsWorthReleasingMemory) {
        sqlite3_db_release_memory(connection().database().handle());
        platform::releaseFreedMemory();
    }
}

int Query::execute() {
    SqlCipherFile& database = connection().database();
    SqlStatement statement = database.prepare(statementText());
    ++statementsRun;  // also when it fails: whatever it may have done, kept rows are not trusted
    statement.run();
    return statement.isReadOnly() ? 0 : database.changes();
}

void Query::close() {
    dropKeptRows();
    if (isOpen()) replaceResult(std::nullopt);
}

void Query::closeKeepingRows() {
    dropKeptRows();
    if (!isOpen()) return;
    const DatabaseStamp stamp = resultStamp_;
    std::optional<ResultSet> rows = replaceResult(std::nullopt);
    kept_.emplace(KeptRows{std::move(*rows), statementText(), stamp});
    // Only a reopen in the same pass of the event loop finds them: they hold no memory longer.
    const std::uint64_t serial = ++keptSerial_;
    QMetaObject::invokeMethod(
        this,
        [this, serial] {
            if (serial == keptSerial_) dropKeptRows();
        },
        Qt::QueuedConnection);
}

bool Query::reopenKeptRows(const QStringList& lines) {
    std::optional<KeptRows> kept = std::exchange(kept_, std::nullopt);
    if (!kept || isOpen() || kept->statement != statementTextOf(lines) || kept->stamp != databaseStamp()) return false;
    setSql(lines);
    kept->rows.first();
    replaceResult(std::move(kept->rows));
    resultStamp_ = kept->stamp;
    return true;
}

void Query::dropKeptRows() { kept_.reset(); }

Query::DatabaseStamp Query::databaseStamp() {
    SqlCipherFile& database = connection().database();
    std::int64_t dataVersion = 0;
    {
        SqlStatement version = database.prepare(QStringLiteral("PRAGMA data_version"));
        if (version.step()) dataVersion = version.int64(0);
    }
    return DatabaseStamp{statementsRun, sqlite3_total_changes(database.handle()), dataVersion};
}

std::optional<ResultSet> Query::replaceResult(std::optional<ResultSet> result) {
    emit resultAboutToChange();
    std::optional<ResultSet> previous = std::exchange(result_, std::move(result));
    emit resultChanged();
    if (result_) emit currentRowChanged(result_->recNo());
    return previous;
}

// ---- The open result

const ResultSet& Query::openResult() const {
    if (!result_) fail(QStringLiteral("Cannot perform this operation on a closed dataset."));
    return *result_;
}

int Query::recordCount() const { return openResult().rowCount(); }
int Query::recNo() const { return openResult().recNo(); }
bool Query::eof() const { return openResult().eof(); }
bool Query::bof() const { return openResult().bof(); }

template <typename Move>
void Query::navigate(Move move) {
    const int before = openResult().recNo();
    move(*result_);
    if (result_->recNo() != before) emit currentRowChanged(result_->recNo());
}

void Query::first() {
    navigate([](ResultSet& result) { result.first(); });
}
void Query::last() {
    navigate([](ResultSet& result) { result.last(); });
}
void Query::next() {
    navigate([](ResultSet& result) { result.next(); });
}
void Query::prior() {
    navigate([](ResultSet& result) { result.prior(); });
}
void Query::moveBy(int rows) {
    navigate([rows](ResultSet& result) { result.moveBy(rows); });
}
void Query::setRecNo(int recNo) {
    navigate([recNo](ResultSet& result) { result.setRecNo(recNo); });
}

int Query::fieldCount() const { return openResult().columnCount(); }
QStringList Query::fieldNames() const { return openResult().columnNames(); }

QString Query::field(int position) const {
    const ResultSet& result = openResult();
    if (position < 0 || position >= result.columnCount())
        fail(QStringLiteral("Field index %1 is out of range.").arg(position));
    return result.isEmpty() ? QString() : result.text(result.recNo() - 1, position);
}

QString Query::fieldByName(const QString& name) const {
    const int position = openResult().columnIndex(name);
    if (position < 0) fail(QStringLiteral("Field '%1' not found.").arg(name));
    return field(position);
}

void Query::deleteCurrent() {
    const ResultSet& result = openResult();
    if (result.isEmpty()) fail(QStringLiteral("Cannot perform this operation on an empty dataset."));
    const std::optional<ResultSet::KeyColumn>& key = result.keyColumn();
    if (!key) fail(QStringLiteral("The rows of this result cannot be deleted: it holds no key of their table."));
    SqlStatement statement = connection().database().prepare(
        QStringLiteral("DELETE FROM %1.%2 WHERE %3 = ?1")
            .arg(quotedIdentifier(key->schema), quotedIdentifier(key->table), quotedIdentifier(key->column)));
    statement.bindText(1, result.text(result.recNo() - 1, key->position));
    ++statementsRun;
    statement.run();
    // A row that is no longer in its table is gone all the same: it leaves the result too.
    emit resultAboutToChange();
    result_->removeCurrentRow();
    emit resultChanged();
    emit currentRowChanged(result_->recNo());
}

}  // namespace tessavo::store
