#pragma once

#include <QDateTime>
#include <string>
#include <vector>

#include "maintenance/transfer/Formats.h"
#include "maintenance/transfer/TransferRecord.h"

namespace tessavo::maintenance::transfer {

// The whole file of one format: its header and one row per record, in the given order.
// `exportedAt` stands in the time columns of formats that have them. KeePassXC groups are
// paths under its root group "Root"; the browsers' formats have no place for the category.
std::string exportCsv(const std::vector<TransferRecord>& records, Format format, const QDateTime& exportedAt);

}  // namespace tessavo::maintenance::transfer
