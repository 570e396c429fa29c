#pragma once

#include <QString>
#include <functional>

namespace tessavo::store {
class SqlCipherFile;
}

// File work of the database compaction.
namespace tessavo::maintenance {

// The directory in which the compaction builds its copy of the database file at
// `databasePath`: the file's own directory, always ending in "/". The copy stays where only the
// file's owner reaches it, and its rename over the file stays on one file system.
QString GetTempDirectory(const QString& databasePath);

// The compactor's connection string: "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" path
// ";Jet OLEDB:Database Password=" password ";". A value holding ";" (or starting with a quote)
// stands in double quotes, so that it reads back whole.
QString compactorConnectionString(const QString& path, const QString& password);

// The compactor: writes a compacted copy of the database that the connection string `source`
// names into the file that `destination` names, under the destination's password. The
// destination must not exist; the compactor creates it, readable by its owner only from the
// first byte. SQLCipher's export into the new file, attached with its key, stands in for the
// database engine's own compaction. Failures (no such database, a wrong password, a damaged
// file, a full disk, an existing destination) throw tessavo::Error; whatever was begun at the
// destination is left there.
void CompactDatabase(const QString& source, const QString& destination);

// What is done to the rewritten file before it takes the place of the old one.
using RewriteFinish = std::function<void(store::SqlCipherFile& rewritten)>;

// Rewrites the database file at `path`, opened with `key`, into a new file under `newKey`
// (the compactor's export), lets `finish` change the new file, and puts the new file in the
// place of `path`, keeping its file mode. From the start of the copy to the rename, the
// rewrite holds the file's write lock, so no other program's change can fall between the
// copy and the rename and be lost; a program that still has the old file open afterwards
// finds it replaced when it next writes, and its change fails. The new file is complete and
// flushed before the rename, so a failure or a kill at any moment leaves `path` either the old
// file under the old key or the new one under the new key. Throws tessavo::Error (also when
// another program's change holds the file longer than the engine waits); `path` then stays as
// it was. The copy is removed in every case but a kill; removeRewriteLeftovers removes what a
// kill left.
void rewriteDatabase(const QString& path, const QString& key, const QString& newKey, const RewriteFinish& finish = {});

// Removes what killed rewrites left beside the database file at `path`: their copies
// ("~ACP<random>.tmp") and the copies' journals. Only the program that rewrites the file calls
// it, at its start, when no rewrite of its own can be under way.
void removeRewriteLeftovers(const QString& path);

// Compacts the database file at `path` in place, keeping its password: the compactor writes
// into a new file named from "~ACP" in GetTempDirectory(path), and that file then replaces
// `path` (rewriteDatabase). True only when the compacted copy has replaced the file; never
// throws and shows nothing.
bool CompactJetDatabase(const QString& path, const QString& password);

}  // namespace tessavo::maintenance
