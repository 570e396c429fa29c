#include "maintenance/Unit_DB.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include "platform/base/Error.h"
#include "platform/base/Logging.h"
#include "platform/files/WholeFile.h"
#include "store/ConnectionString.h"
#include "store/SqlCipherFile.h"

namespace tessavo::maintenance {
namespace {

// The schema name under which the compactor attaches its destination.
QString destinationSchema() { return QStringLiteral("compacted"); }

// The copy's name starts as the inherited compactor's temporary files did.
const QString kCopyPrefix = QStringLiteral("~ACP");
const QString kCopySuffix = QStringLiteral(".tmp");
const QString kJournalSuffix = QStringLiteral("-journal");

// A name for the copy that nothing holds: random enough that another name is never met.
QString copyNameBeside(const QString& path) {
    const QString random = QString::number(QRandomGenerator::system()->generate64(), 36).rightJustified(13, u'0');
    return GetTempDirectory(path) + kCopyPrefix + random + kCopySuffix;
}

// Removes the copy and its journal when the rewrite ends, whatever its outcome.
class CopyRemoval {
public:
    explicit CopyRemoval(QString path) : path_(std::move(path)) {}
    ~CopyRemoval() {
        platform::removeFile(path_);
        platform::removeFile(path_ + kJournalSuffix);
    }
    CopyRemoval(const CopyRemoval&) = delete;
    CopyRemoval& operator=(const CopyRemoval&) = delete;

private:
    QString path_;
};

// Makes the empty destination, for its owner only, where nothing stands under its name.
void createDestination(const QString& path) {
    switch (platform::createPrivateFile(path).outcome) {
        case platform::WriteOutcome::Written:
            return;
        case platform::WriteOutcome::NameTaken:
            throw Error(QStringLiteral("Database already exists."));
        case platform::WriteOutcome::Failed:
            break;
    }
    throw Error(QStringLiteral("The new database file cannot be made."));
}

// The export of the open `source` into the empty file at `destination`, under `key`.
void exportInto(store::SqlCipherFile& source, const QString& destination, const QString& key) {
    source.attach(destination, key, destinationSchema());
    source.execute(QStringLiteral("SELECT sqlcipher_export('%1');").arg(destinationSchema()));
    source.detach(destinationSchema());
}

// Holds the database file's write lock (the engine's own, which every writer of the file
// takes) while it lives: readers go on, writers wait. The lock is taken on the file that is
// open, so after a rename over its name it still names the old file, which the waiting writers
// then find moved. Releasing writes nothing.
class WriteLock {
public:
    WriteLock(const QString& path, const QString& key) : file_(path, key) {
        file_.execute(QStringLiteral("BEGIN IMMEDIATE;"));
    }

private:
    store::SqlCipherFile file_;  // closing it ends the empty transaction
};

}  // namespace

QString GetTempDirectory(const QString& databasePath) {
    const QString directory = QFileInfo(databasePath).absolutePath();
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
    store::SqlCipherFile database(from.dataSource, from.databasePassword);
    // An attachment takes the source's open flags: the empty destination is made first, and
    // the engine writes into it without ever creating it.
    createDestination(to.dataSource);
    exportInto(database, to.dataSource, to.databasePassword);
}

void rewriteDatabase(const QString& path, const QString& key, const QString& newKey, const RewriteFinish& finish) {
    const WriteLock lock(path, key);
    const QString copy = copyNameBeside(path);
    createDestination(copy);
    const CopyRemoval removal(copy);
    {
        store::SqlCipherFile source(path, key);
        exportInto(source, copy, newKey);
    }
    if (finish) {
        store::SqlCipherFile rewritten(copy, newKey);
        finish(rewritten);
    }
    if (!platform::putInPlace(copy, path)) throw Error(QStringLiteral("The database file cannot be replaced."));
}

void removeRewriteLeftovers(const QString& path) {
    static const QRegularExpression leftover(QStringLiteral("^~ACP[0-9a-z]+\\.tmp(-journal)?$"));
    const QString directory = GetTempDirectory(path);
    for (const QString& name : platform::fileNamesIn(directory)) {
        if (!leftover.match(name).hasMatch()) continue;
        qCDebug(lcMaintenance) << "removing what a killed rewrite left:" << name;
        platform::removeFile(directory + name);
    }
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
