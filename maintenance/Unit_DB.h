#pragma once

#include <QString>

// File work of the database compaction.
namespace tessavo::maintenance {

// The user's temporary directory, always ending in "/".
QString GetTempDirectory();

}  // namespace tessavo::maintenance
