#include "maintenance/DatabaseProtection.h"

#include "store/ConnectionString.h"
#include "store/FileProtection.h"

namespace tessavo::maintenance {

QString protectionOnBackupPrefix() { return QStringLiteral("加密数据库前备份_bak_"); }

QString protectionOffBackupPrefix() { return QStringLiteral("解密数据库前备份_bak_"); }

QString protectDatabase(const QString& path, const QString& key, const QString& password, const RewriteFinish& finish) {
    // The key names the salt, so the new file is made with it: the key derives from the salt
    // the file will carry.
    QString newKey = store::protectedFileKey(password, store::newProtectedSalt());
    try {
        rewriteDatabase(path, key, newKey, finish);
    } catch (...) {
        store::wipeText(newKey);
        throw;
    }
    return newKey;
}

void unprotectDatabase(const QString& path, const QString& key) {
    rewriteDatabase(path, key, QString::fromUtf16(store::kDatabasePassword));
}

}  // namespace tessavo::maintenance
