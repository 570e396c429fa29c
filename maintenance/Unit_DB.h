#pragma once

#include <QString>
#include <functional>

namespace tessavo::store {
class SqlCipherFile;
}

// File work of the database compaction.
namespace tessavo::maintenance {

// The user's temporary directory, always ending in "/".
QString GetTempDirectory();

// The compactor's connection string: "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" path
// ";Jet OLEDB:Database Password=" password ";". A value holding ";" (or starting with a quote)
// stands in double quotes, so that it reads back whole.
QString compactorConnectionString(const QString& path, const QString& password);

// The compactor: writes a compacted copy of the database that the connection string `source`
// names into the file that `destination` names, under the destination's password. The
// destination must not exist; the compactor creates it. SQLCipher's export into the new file,
// attached with its key, stands in for the database engine's own compaction. Failures (no such
// database, a wrong password, a damaged file, a full disk, an existing destination) throw
// tessavo::Error; whatever was begun at the destination is left there.
void CompactDatabase(const QString& source, const QString& destination);

// What is done to the rewritten file before it takes the place of the old one.
using RewriteFinish = std::function<void(store::SqlCipherFile& rewritten)>;

// Rewrites the database file at `path`, opened with `key`, into a new file under `newKey`
// (the compactor's export), lets `finish` change the new file, and puts the new file in the
// place of `path`, keeping its file mode. The new file is complete and flushed before a
// rename puts it there, so a failure or a kill at any moment leaves `path` either the old
// file under the old key or the new one under the new key. Throws tessavo::Error; `path` then
// stays as it was. The temporary files are removed in every case but a kill.
void rewriteDatabase(const QString& path, const QString& key, const QString& newKey, const RewriteFinish& finish = {});

// Compacts the database file at `path` in place, keeping its password: the compactor writes
// into a new file named from "~ACP" in the temporary directory, and that file then replaces
// `path`, which keeps its file mode. The replacement is atomic: the copy is written beside
// `path`, flushed to disk and renamed over it, so on any failure `path` stays exactly as it
// was. The temporary files are removed in every case. True only when the compacted copy has
// replaced the file; never throws and shows nothing.
bool CompactJetDatabase(const QString& path, const QString& password);

}  // namespace tessavo::maintenance
