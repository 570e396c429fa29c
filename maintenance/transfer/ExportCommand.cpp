#include "maintenance/transfer/ExportCommand.h"

#include <cstring>

#include "maintenance/transfer/AccountDatabase.h"
#include "maintenance/transfer/ExportRows.h"
#include "platform/base/Error.h"
#include "platform/files/WholeFile.h"

namespace tessavo::maintenance::transfer {
namespace {

void writeFile(const ExportRequest& request, const std::string& text) {
    const auto existing = request.replaceExisting ? platform::ExistingFile::Replace : platform::ExistingFile::Refuse;
    const platform::WriteResult result = platform::writePrivateFile(request.outputFile, text, existing);
    if (result.outcome == platform::WriteOutcome::NameTaken)
        throw Error(QStringLiteral("%1 exists already; it is left as it is (use --force to replace it).")
                        .arg(request.outputFile));
    if (result.outcome == platform::WriteOutcome::Failed)
        throw Error(QStringLiteral("Cannot write %1: %2")
                        .arg(request.outputFile, QString::fromLocal8Bit(std::strerror(result.error))));
}

}  // namespace

QString plainTextWarning() {
    return QStringLiteral(
        "warning: the export holds every password and note in plain text; keep it safe and "
        "delete it when it is no longer needed.");
}

std::string exportRecords(const ExportRequest& request, const std::string& accountKey, const QDateTime& now) {
    if (!formatInfo(request.format).exportable)
        throw Error(QStringLiteral("Records cannot be exported as %1; the formats are %2.")
                        .arg(QLatin1String(formatInfo(request.format).name), formatNames(true)));
    AccountDatabase database(request.directory, accountKey, request.databaseKey);
    const std::string text = exportCsv(database.records(), request.format, now);
    if (!request.outputFile.isEmpty()) writeFile(request, text);
    return text;
}

}  // namespace tessavo::maintenance::transfer
