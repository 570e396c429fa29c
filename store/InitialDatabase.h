#pragma once

#include <QString>

namespace tessavo::store {

// Makes the initial account database `_.udb` in an existing directory: an SQLCipher file
// under the database password with the empty table data and table Pass holding the cipher
// text of the default management password "vorel" under LoginKey. The file is built under a
// temporary name beside it and then renamed, so a failure leaves no half file. An existing
// _.udb is never replaced: that, and a missing directory, are refused with tessavo::Error.
// Returns the path of the new file.
QString createInitialDatabase(const QString& directory);

}  // namespace tessavo::store
