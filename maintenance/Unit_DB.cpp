#include "maintenance/Unit_DB.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include "platform/base/Error.h"
#include "platform/base/Logging.h"
#include "platform/files/WholeFile.h"
#include "store/ConnectionString.h"
#include "store/SqlCipherFile.h"

namespace tessavo::maintenance {
namespace {

// The schema name under which the compactor attaches its destination.
QString destinationSchema() { return QStringLiteral("compacted"); }

// A name that nothing holds, chosen as the system chooses one from a prefix: the empty file is
// created under a unique name and deleted again, because the compactor must create its
// destination itself. Empty when either step fails.
QString freeTempName(const QString& directory) {
    QTemporaryFile reserved(directory + QStringLiteral("~ACPXXXXXX.tmp"));
    reserved.setAutoRemove(false);
    if (!reserved.open()) {
        qCWarning(lcMaintenance) << "cannot make a temporary file in" << directory << ":" << reserved.errorString();
        return {};
    }
    const QString name = reserved.fileName();
    reserved.close();
    QFile file(name);
    if (file.remove()) return name;
    qCWarning(lcMaintenance) << "cannot remove the temporary file" << name << ":" << file.errorString();
    return {};
}

// Removes the compactor's file when the compaction ends, whatever its outcome.
class TempFileRemoval {
public:
    explicit TempFileRemoval(QString path) : path_(std::move(path)) {}
    ~TempFileRemoval() {
        QFile::remove(path_);
        QFile::remove(path_ + QStringLiteral("-journal"));
    }
    TempFileRemoval(const TempFileRemoval&) = delete;
    TempFileRemoval& operator=(const TempFileRemoval&) = delete;

private:
    QString path_;
};

// True when anything, a dangling link included, stands under the name.
bool nameTaken(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

}  // namespace

QString GetTempDirectory() {
    const QString directory = QDir::tempPath();
    return directory.endsWith(u'/') ? directory : directory + u'/';
}

QString compactorConnectionString(const QString& path, const QString& password) {
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + store::connectionStringValue(path) +
           QStringLiteral(";Jet OLEDB:Database Password=") + store::connectionStringValue(password) + u';';
}

void CompactDatabase(const QString& source, const QString& destination) {
    const store::ConnectionSettings from = store::parseConnectionString(source);
    const store::ConnectionSettings to = store::parseConnectionString(destination);
    if (from.dataSource.isEmpty() || to.dataSource.isEmpty())
        throw Error(QStringLiteral("The connection string names no data source."));
    if (nameTaken(to.dataSource)) throw Error(QStringLiteral("Database already exists."));
    store::SqlCipherFile database(from.dataSource, from.databasePassword);
    // An attachment takes the source's open flags, which never create a file: the empty
    // destination is made first, under its key.
    store::SqlCipherFile(to.dataSource, to.databasePassword, store::SqlCipherFile::Mode::CreateNew);
    database.attach(to.dataSource, to.databasePassword, destinationSchema());
    database.execute(QStringLiteral("SELECT sqlcipher_export('%1');").arg(destinationSchema()));
    database.detach(destinationSchema());
}

void rewriteDatabase(const QString& path, const QString& key, const QString& newKey, const RewriteFinish& finish) {
    const QString temp = freeTempName(GetTempDirectory());
    if (temp.isEmpty()) throw Error(QStringLiteral("No temporary file can be made."));
    const TempFileRemoval removal(temp);
    CompactDatabase(compactorConnectionString(path, key), compactorConnectionString(temp, newKey));
    if (finish) {
        store::SqlCipherFile rewritten(temp, newKey);
        finish(rewritten);
    }
    // The copy takes the mode of its source: the new file first takes that of path.
    if (!QFile::setPermissions(temp, QFile::permissions(path)) || !platform::copyWholeFile(temp, path))
        throw Error(QStringLiteral("The database file cannot be replaced."));
}

bool CompactJetDatabase(const QString& path, const QString& password) {
    try {
        rewriteDatabase(path, password, password);
        return true;
    } catch (const std::exception& error) {
        // The engine's or the file's message: it names no record and no key.
        qCWarning(lcMaintenance, "compaction of the database failed: %s", error.what());
        return false;
    } catch (...) {
        qCWarning(lcMaintenance, "compaction of the database failed with an unknown error");
        return false;
    }
}

}  // namespace tessavo::maintenance
