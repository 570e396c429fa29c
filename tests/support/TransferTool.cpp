#include "tests/support/TransferTool.h"

#include <gtest/gtest.h>

#include <QFile>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "store/Connection.h"
#include "store/ConnectionString.h"
#include "store/RecordFields.h"

namespace tessavo::test {

ProgramRun tessavoDb(const QStringList& arguments) {
    const QString program = builtProgram(QStringLiteral("tessavo-db"));
    EXPECT_TRUE(QFile::exists(program)) << "build the tessavo-db target: " << program.toStdString();
    return runProgram(program, arguments);
}

std::vector<PlainRecord> recordsIn(const QString& directory) {
    store::Connection connection(store::connectionStringFor(directory.endsWith(u'/') ? directory : directory + u'/'));
    std::vector<PlainRecord> records;
    for (const StoredRow& row : storedRows(connection)) {
        records.push_back({row.分类, row.标题, row.帐号, store::decryptAccountText(row.密码, cipher::kAccountKeyText),
                           store::decryptAccountText(row.备注, cipher::kAccountKeyText), row.网址,
                           row.统计.toLongLong()});
    }
    return records;
}

QString transferFixture(const QString& name) {
    return QStringLiteral(TESSAVO_SOURCE_DIR "/tests/fixtures/transfer/") + name;
}

}  // namespace tessavo::test
