#include "store/InitialDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "platform/base/Error.h"
#include "store/ConnectionString.h"
#include "store/SqlCipherFile.h"

namespace tessavo::store {

namespace {

const char kDefaultManagementPassword[] = "vorel";

const QString kSchema = QStringLiteral(
    "CREATE TABLE data ("
    "编号 INTEGER PRIMARY KEY AUTOINCREMENT, 分类 TEXT, 网址 TEXT, 标题 TEXT, 帐号 TEXT, 密码 TEXT, 备注 TEXT, "
    "统计 INTEGER DEFAULT 0);"
    "CREATE TABLE Pass (密码 TEXT);");

void fillNewDatabase(const QString& path) {
    SqlCipherFile file(path, QString::fromUtf16(kDatabasePassword), SqlCipherFile::Mode::CreateNew);
    file.execute(QStringLiteral("BEGIN;") + kSchema);
    SqlStatement insert = file.prepare(QStringLiteral("INSERT INTO Pass (密码) VALUES (?1)"));
    insert.bindText(1, QString::fromStdString(cipher::DesEncryptToHex(kDefaultManagementPassword, cipher::LoginKey())));
    insert.run();
    file.execute(QStringLiteral("COMMIT;"));
}

}  // namespace

QString createInitialDatabase(const QString& directory) {
    const QFileInfo folder(directory);
    if (!folder.isDir()) throw Error(QStringLiteral("The directory %1 does not exist.").arg(directory));
    const QString target = QDir(directory).filePath(QString::fromUtf16(kDatabaseFileName));
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        throw Error(QStringLiteral("%1 exists already; it is left as it is.").arg(target));

    QTemporaryFile building(QDir(directory).filePath(QStringLiteral(".~_.udb.XXXXXX")));
    if (!building.open())
        throw Error(QStringLiteral("Cannot make a file in %1: %2").arg(directory, building.errorString()));
    building.close();  // the engine writes the empty file; the object removes it on any failure
    fillNewDatabase(building.fileName());
    // Renaming never replaces a file that appeared meanwhile.
    if (!QFile::rename(building.fileName(), target))
        throw Error(
            QStringLiteral("Cannot create %1: the name is taken or the directory is not writable.").arg(target));
    return target;
}

}  // namespace tessavo::store
