#pragma once

#include <QDateTime>
#include <QString>
#include <string>

#include "maintenance/transfer/Formats.h"

namespace tessavo::maintenance::transfer {

struct ExportRequest {
    QString directory;
    Format format = Format::Tessavo;
    QString outputFile;  // empty: the caller writes the text to standard output
    bool replaceExisting = false;
    QString databaseKey;  // the key of a file protected by the management password
};

// What every export says on standard error: the file holds the passwords in plain text.
QString plainTextWarning();

// Reads every record of the directory's database and returns the file's text; with an output
// file, also writes it there (mode 0600, atomically, an existing name only with
// replaceExisting). Throws tessavo::Error for a format that cannot be written, an unusable
// database or a file that cannot be written.
std::string exportRecords(const ExportRequest& request, const std::string& accountKey, const QDateTime& now);

}  // namespace tessavo::maintenance::transfer
