#include "maintenance/transfer/ImportCommand.h"

#include <array>
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

using RecordKey = std::array<QString, 5>;

RecordKey keyOf(const TransferRecord& r) { return {r.分类, r.标题, r.网址, r.帐号, r.密码}; }

std::string readFile(const QString& path) {
    platform::FileContent content = platform::readWholeFile(path, kLargestFile);
    switch (content.outcome) {
        case platform::ReadOutcome::Ok:
            return std::move(content.bytes);
        case platform::ReadOutcome::Missing:
            throw Error(QStringLiteral("There is no file %1.").arg(path));
        case platform::ReadOutcome::NotRegular:
            throw Error(QStringLiteral("%1 is not a regular file.").arg(path));
        case platform::ReadOutcome::TooLarge:
            throw Error(QStringLiteral("%1 is too large to be an export.").arg(path));
        case platform::ReadOutcome::Failed:
            break;
    }
    throw Error(QStringLiteral("Cannot read %1.").arg(path));
}

CsvTable readTable(const QString& path) {
    try {
        return readCsvTable(readFile(path));
    } catch (const CsvError& error) {
        throw Error(
            QStringLiteral("%1: line %2: %3").arg(path).arg(error.line()).arg(QString::fromStdString(error.reason())));
    }
}

Format formatOf(const ImportRequest& request, const CsvTable& table) {
    const std::optional<Format> recognised = recogniseHeader(table.header.fields);
    if (!request.format && recognised) return *recognised;
    if (request.format && recognised == request.format) return *request.format;
    const QString expected =
        request.format ? QStringLiteral("the header of a %1 file").arg(QLatin1String(formatInfo(*request.format).name))
                       : QStringLiteral("the header of any known format (%1)").arg(formatNames(false));
    throw Error(
        QStringLiteral("%1: line %2: the first row is not %3.").arg(request.file).arg(table.header.line).arg(expected));
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
    const CsvTable table = readTable(request.file);
    ImportReport report;
    report.format = formatOf(request, table);

    std::set<RecordKey> known;
    for (const TransferRecord& stored : database.records()) known.insert(keyOf(stored));
    std::vector<TransferRecord> adding;
    const RowReader reader(report.format, table.header);
    for (const CsvRecord& row : table.rows) {
        auto read = reader.read(row);
        if (const auto* refusal = std::get_if<RowRefusal>(&read)) {
            report.refused.push_back({row.line, refusal->reason});
        } else if (!known.insert(keyOf(std::get<TransferRecord>(read))).second) {
            ++report.duplicates;
        } else {
            adding.push_back(std::move(std::get<TransferRecord>(read)));
        }
    }
    report.imported = static_cast<int>(adding.size());
    if (!report.refused.empty()) report.imported = 0;
    if (request.dryRun || !report.refused.empty() || adding.empty()) return report;

    const QString stamp = backupStampOf(now);
    if (!maintenance::BackupCopy(database.directory(), importBackupPrefix(), stamp))
        throw Error(
            QStringLiteral("The backup of %1 could not be made; nothing was imported.").arg(database.databasePath()));
    report.backupPath = maintenance::backupFilePath(database.directory(), importBackupPrefix(), stamp);
    database.addAll(adding);
    report.written = true;
    return report;
}

}  // namespace tessavo::maintenance::transfer
