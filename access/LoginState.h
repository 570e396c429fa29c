#pragma once

#include <QString>

namespace tessavo::access {

// The management password's cipher text as the last run of the login gate read it from the
// database; empty until the gate has run.
QString& StoredLoginCipher();

// The cipher text of a typed management password, as stored: the entry in the 8-bit code page,
// encrypted under the login key.
QString loginCipherOf(const QString& password);

}  // namespace tessavo::access
