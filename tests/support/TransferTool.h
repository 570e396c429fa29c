#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "tests/support/AccountRecords.h"
#include "tests/support/RunProgram.h"

namespace tessavo::test {

// Runs the built `tessavo-db` with these arguments.
ProgramRun tessavoDb(const QStringList& arguments);

// Every record of DIR/_.udb as the program's editor shows it (password and notes decrypted
// under the account key), in 编号 order.
std::vector<PlainRecord> recordsIn(const QString& directory);

// The path of a hand-written file under tests/fixtures/transfer.
QString transferFixture(const QString& name);

}  // namespace tessavo::test
