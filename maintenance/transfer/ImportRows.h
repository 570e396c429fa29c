#pragma once

#include <QString>
#include <variant>

#include "maintenance/transfer/CsvReader.h"
#include "maintenance/transfer/Formats.h"
#include "maintenance/transfer/TransferRecord.h"

namespace tessavo::maintenance::transfer {

// The category of a record whose file names no group or folder for it: one per source
// ("Chrome导入", "Firefox导入", ...), so that a browser's export lands in one category.
QString sourceCategory(Format format);

// Why a row cannot be stored.
struct RowRefusal {
    QString reason;
};

// Reads the rows of one manager's file as records: the category from the group or folder (its
// last path element; KeePassXC's first element is its root group and names none), else
// sourceCategory(); the title from the entry's name, else the web address's host. Notes of other managers are stored
// with CR LF line breaks, as the editor stores them; our own files are taken exactly as they stand.
class RowReader {
public:
    RowReader(Format format, const CsvRecord& header);

    std::variant<TransferRecord, RowRefusal> read(const CsvRecord& row) const;

private:
    QString field(const CsvRecord& row, const char* column) const;
    TransferRecord foreignRecord(const CsvRecord& row) const;

    Format format_;
    std::vector<std::string> columns_;
};

// The host of a web address, also of one written without a scheme; empty when there is none.
QString hostOf(const QString& address);

}  // namespace tessavo::maintenance::transfer
