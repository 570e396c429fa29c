#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "maintenance/transfer/Formats.h"

namespace tessavo::maintenance::transfer {

struct ImportRequest {
    QString directory;
    QString file;
    std::optional<Format> format;  // none: recognised by the file's header
    bool dryRun = false;
    QString databaseKey;  // the key of a file protected by the management password
};

struct RefusedRow {
    std::size_t line = 0;
    QString reason;
};

struct ImportReport {
    Format format = Format::Tessavo;
    int imported = 0;    // stored, or with a dry run to be stored
    int duplicates = 0;  // equal to a stored record or an earlier row in category, title,
                         // address, account and password
    std::vector<RefusedRow> refused;
    QString backupPath;  // empty when nothing was written
    bool written = false;

    // The lines that tell the user what happened.
    QStringList describe(bool dryRun) const;
};

// The prefix of the backup taken before an import: "导入前备份_bak_".
QString importBackupPrefix();

// Reads and checks the file, and unless it is a dry run or a row is refused, copies _.udb to
// a backup and adds every new record in one transaction. Any refused row means nothing is
// written. The file is read part by part, twice (checked, then stored batch by batch), so the
// memory an import takes does not grow with the file; a file that changes between the two
// readings is refused whole. Throws tessavo::Error (with the line number for malformed files,
// or when the database file was replaced under the import) and then has written nothing
// either.
ImportReport importRecords(const ImportRequest& request, const std::string& accountKey, const QDateTime& now);

}  // namespace tessavo::maintenance::transfer
