#pragma once

#include <QtGlobal>

#include "store/RecordFields.h"

namespace tessavo::maintenance::transfer {

// A record as it moves in and out of the account database: the editor's fields in plain text
// (编号 stays empty) and the use count.
struct TransferRecord : store::RecordFields {
    qint64 统计 = 0;
};

}  // namespace tessavo::maintenance::transfer
