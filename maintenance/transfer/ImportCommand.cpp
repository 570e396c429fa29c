#include "maintenance/transfer/ImportCommand.h"

#include <QCryptographicHash>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <set>

#include "maintenance/Backup.h"
#include "maintenance/transfer/AccountDatabase.h"
#include "maintenance/transfer/CsvReader.h"
#include "maintenance/transfer/ImportRows.h"
#include "platform/base/Error.h"
#include "platform/files/WholeFile.h"

namespace tessavo::maintenance::transfer {
namespace {

// Far more than any password manager's export; a larger file is surely something else.
constexpr std::size_t kLargestFile = std::size_t{512} * 1024 * 1024;
// The file is read, checked and stored this much at a time, so an import holds one part of it.
constexpr std::size_t kPartBytes = std::size_t{1} << 20;

QString csvFault(const QString& path, const CsvError& error) {
    return QStringLiteral("%1: line %2: %3").arg(path).arg(error.line()).arg(QString::fromStdString(error.reason()));
}

// The rows of a file, read part by part: the header first, then the rows of each part, each
// checked to have the header's fields. Throws tessavo::Error (with the line for a malformed
// file).
class CsvFileRows {
public:
    explicit CsvFileRows(const QString& path) : path_(path), file_(path, kLargestFile) {
        checkOpened();
        std::vector<CsvRecord> first;
        while (first.empty() && readMore(first)) {
        }
        if (first.empty()) throw Error(csvFault(path_, CsvError(1, "the file is empty; a header row is expected")));
        header_ = std::move(first.front());
        waiting_.assign(std::make_move_iterator(first.begin() + 1), std::make_move_iterator(first.end()));
    }

    const CsvRecord& header() const { return header_; }

    // The next rows into `rows` (replacing what it held); false at the end of the file.
    bool next(std::vector<CsvRecord>& rows) {
        rows = std::move(waiting_);
        waiting_.clear();
        while (rows.empty() && readMore(rows)) {
        }
        try {
            for (const CsvRecord& row : rows) checkFieldCount(row, header_.fields.size());
        } catch (const CsvError& error) {
            throw Error(csvFault(path_, error));
        }
        return !rows.empty();
    }

private:
    void checkOpened() const {
        switch (file_.outcome()) {
            case platform::ReadOutcome::Ok:
                return;
            case platform::ReadOutcome::Missing:
                throw Error(QStringLiteral("There is no file %1.").arg(path_));
            case platform::ReadOutcome::NotRegular:
                throw Error(QStringLiteral("%1 is not a regular file.").arg(path_));
            case platform::ReadOutcome::TooLarge:
                throw Error(QStringLiteral("%1 is too large to be an export.").arg(path_));
            case platform::ReadOutcome::Failed:
                break;
        }
        throw Error(QStringLiteral("Cannot read %1.").arg(path_));
    }

    // Reads one part into `records`; false when the file has ended.
    bool readMore(std::vector<CsvRecord>& records) {
        if (ended_) return false;
        const std::optional<std::string> part = file_.next(kPartBytes);
        if (!part) checkOpened();
        if (!part) throw Error(QStringLiteral("Cannot read %1.").arg(path_));
        try {
            if (part->empty()) {
                ended_ = true;
                stream_.finish(records);
            } else {
                stream_.feed(*part, records);
            }
        } catch (const CsvError& error) {
            throw Error(csvFault(path_, error));
        }
        return true;
    }

    QString path_;
    platform::FileParts file_;
    CsvRecordStream stream_;
    CsvRecord header_;
    std::vector<CsvRecord> waiting_;
    bool ended_ = false;
};

Format formatOf(const ImportRequest& request, const CsvRecord& header) {
    const std::optional<Format> recognised = recogniseHeader(header.fields);
    if (!request.format && recognised) return *recognised;
    if (request.format && recognised == request.format) return *request.format;
    const QString expected =
        request.format ? QStringLiteral("the header of a %1 file").arg(QLatin1String(formatInfo(*request.format).name))
                       : QStringLiteral("the header of any known format (%1)").arg(formatNames(false));
    throw Error(
        QStringLiteral("%1: line %2: the first row is not %3.").arg(request.file).arg(header.line).arg(expected));
}

// What decides that a record is already there: category, title, address, account and password,
// as a digest of 128 bits, so a million records take 16 MB to remember.
using RecordDigest = std::array<std::uint64_t, 2>;

RecordDigest digestOf(const TransferRecord& r) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString* field : {&r.分类, &r.标题, &r.网址, &r.帐号, &r.密码}) {
        // Each field with its length, so that no two records run together into one text.
        const qint64 length = field->size();
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(&length), sizeof length));
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(field->utf16()), field->size() * 2));
    }
    RecordDigest digest{};
    std::memcpy(digest.data(), hash.resultView().data(), sizeof digest);
    return digest;
}

// The records met so far: a sorted array, and the latest ones in a small set that is merged
// into it when it fills.
class SeenRecords {
public:
    // False when an equal record was met before.
    bool insert(const TransferRecord& record) {
        const RecordDigest digest = digestOf(record);
        if (std::binary_search(sorted_.begin(), sorted_.end(), digest)) return false;
        if (!recent_.insert(digest).second) return false;
        if (recent_.size() >= kRecent) merge();
        return true;
    }

private:
    static constexpr std::size_t kRecent = 1 << 16;

    void merge() {
        const auto middle = sorted_.insert(sorted_.end(), recent_.begin(), recent_.end());
        recent_.clear();
        std::inplace_merge(sorted_.begin(), middle, sorted_.end());
    }

    std::vector<RecordDigest> sorted_;
    std::set<RecordDigest> recent_;
};

// One pass over the file's rows: each read, checked and sorted into new, duplicate or refused.
// `onNew` gets the new records in batches.
struct Sorted {
    int added = 0;
    int duplicates = 0;
    std::vector<RefusedRow> refused;
};

Sorted sortRows(const ImportRequest& request, AccountDatabase& database, Format& format,
                const AccountDatabase::AddBatch& onNew) {
    SeenRecords seen;
    database.forEachRecord([&seen](const TransferRecord& stored) { seen.insert(stored); });
    CsvFileRows file(request.file);
    format = formatOf(request, file.header());
    const RowReader reader(format, file.header());
    Sorted sorted;
    std::vector<CsvRecord> rows;
    std::vector<TransferRecord> batch;
    while (file.next(rows)) {
        batch.clear();
        for (const CsvRecord& row : rows) {
            auto read = reader.read(row);
            if (const auto* refusal = std::get_if<RowRefusal>(&read)) {
                sorted.refused.push_back({row.line, refusal->reason});
            } else if (!seen.insert(std::get<TransferRecord>(read))) {
                ++sorted.duplicates;
            } else {
                ++sorted.added;
                batch.push_back(std::move(std::get<TransferRecord>(read)));
            }
        }
        if (onNew && sorted.refused.empty()) onNew(batch);
    }
    return sorted;
}

QString backupStampOf(const QDateTime& now) { return now.toString(QStringLiteral("yyyyMMddHHmmss")); }

}  // namespace

QString importBackupPrefix() { return QStringLiteral("导入前备份_bak_"); }

QStringList ImportReport::describe(bool dryRun) const {
    QStringList lines;
    for (const RefusedRow& row : refused) lines << QStringLiteral("line %1: refused: %2").arg(row.line).arg(row.reason);
    if (!refused.empty()) {
        lines << QStringLiteral("%1 rows refused; nothing was imported.").arg(refused.size());
        return lines;
    }
    const QString format = QLatin1String(formatInfo(this->format).name);
    if (dryRun) {
        lines << QStringLiteral("dry run (%1): would import %2, skip %3 duplicates; nothing was written.")
                     .arg(format)
                     .arg(imported)
                     .arg(duplicates);
    } else {
        lines << QStringLiteral("imported %1 (%2), skipped %3 duplicates.").arg(imported).arg(format).arg(duplicates);
    }
    if (!backupPath.isEmpty()) lines << QStringLiteral("backup before the import: %1").arg(backupPath);
    return lines;
}

ImportReport importRecords(const ImportRequest& request, const std::string& accountKey, const QDateTime& now) {
    AccountDatabase database(request.directory, accountKey, request.databaseKey);
    ImportReport report;
    // The first pass only checks: the backup comes before any change, and only when one is due.
    const Sorted checked = sortRows(request, database, report.format, {});
    report.refused = checked.refused;
    report.duplicates = checked.duplicates;
    report.imported = report.refused.empty() ? checked.added : 0;
    if (request.dryRun || !report.refused.empty() || report.imported == 0) return report;

    const std::optional<QString> backup =
        maintenance::takeBackup(database.directory(), importBackupPrefix(), backupStampOf(now));
    if (!backup)
        throw Error(
            QStringLiteral("The backup of %1 could not be made; nothing was imported.").arg(database.databasePath()));
    report.backupPath = *backup;
    // The second pass stores, batch by batch, in one transaction. The file read again must
    // say the same; a file changed in between is refused whole.
    const QString changed =
        QStringLiteral("%1 or the database changed while it was imported; nothing was imported.").arg(request.file);
    database.addAll([&](const AccountDatabase::AddBatch& add) {
        Format format = report.format;
        const Sorted stored = sortRows(request, database, format, add);
        if (format != report.format || !stored.refused.empty() || stored.added != report.imported) throw Error(changed);
    });
    report.written = true;
    return report;
}

}  // namespace tessavo::maintenance::transfer
