#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace tessavo::maintenance::transfer {

struct CheckReport {
    QStringList lines;     // what was checked, each with its finding
    QStringList problems;  // every fault found; none when the file is sound
    bool sound() const { return problems.isEmpty(); }
};

// A stored secret is well-formed when it is hexadecimal digits in whole 8-byte blocks, and it
// decrypts when its plain bytes are text of the program's code page.
bool isWellFormedCipher(const QString& cipher);

// Checks DIR/_.udb: the engine's integrity check, the one row of table Pass holding
// well-formed cipher text, and the password and notes of every record (notes may be empty).
// Throws tessavo::Error when the file cannot be opened as an account database at all.
CheckReport checkDatabase(const QString& directory, const std::string& accountKey, const QString& databaseKey = {});

}  // namespace tessavo::maintenance::transfer
