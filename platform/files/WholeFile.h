#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/base/UniqueFd.h"

namespace tessavo::platform {

// Whole-file reads and replacements for the program's small files (settings, desktop entries,
// backups, exports). A new content is written into an unnamed file in the target's directory
// and only linked or renamed into place when complete, so the target is always either the old
// file or the complete new one, and a failure or a kill leaves no temporary file behind.

enum class ReadOutcome { Ok, Missing, NotRegular, TooLarge, Failed };

struct FileContent {
    ReadOutcome outcome = ReadOutcome::Failed;
    std::string bytes;
};

// Reads a regular file of at most `limit` bytes. A device, pipe or directory is never read
// (and never waited for); a larger file is reported as TooLarge with no bytes.
FileContent readWholeFile(const QString& path, std::size_t limit);

// A regular file of at most `limit` bytes read from its start in parts, for files too large to
// hold whole. A device, pipe or directory is never read (and never waited for).
class FileParts {
public:
    FileParts(const QString& path, std::size_t limit);

    // Ok when the file is open for reading; otherwise why not.
    ReadOutcome outcome() const { return outcome_; }
    // The next part of at most `size` bytes; empty at the end. Nothing when a read fails or the
    // file has grown beyond the limit (outcome() then says which).
    std::optional<std::string> next(std::size_t size);

private:
    UniqueFd fd_;
    std::size_t limit_;
    std::size_t read_ = 0;
    ReadOutcome outcome_ = ReadOutcome::Failed;
};

// The first `count` bytes of a regular file, read without waiting on a pipe or device; fewer
// when the file is shorter, empty when it cannot be read.
std::string readFileHead(const QString& path, std::size_t count);

// How a file that does not exist yet is created; an existing target keeps its own mode.
enum class NewFileMode { Plain, Executable };

// Replaces (or creates) `target` with `bytes`. False when the target is a directory or another
// non-regular file, an existing file we may not write, or anything on the way fails.
bool replaceWholeFile(const QString& target, std::string_view bytes, NewFileMode mode = NewFileMode::Plain);

// How a new file is written when its name is taken.
enum class ExistingFile { Refuse, Replace };
enum class WriteOutcome { Written, NameTaken, Failed };
struct WriteResult {
    WriteOutcome outcome = WriteOutcome::Failed;
    int error = 0;  // the errno of a failure
};

// Copies the regular file `source` to `target`, which must not exist yet: the copy takes the
// source's mode and appears under its name only when complete, and an entry of that name
// (also a link or a directory) is never replaced (NameTaken). Nothing is left behind otherwise.
WriteResult copyToNewFile(const QString& source, const QString& target);

// Writes `bytes` to a new file readable and writable by its owner only (mode 0600, whatever
// the umask or a replaced file's mode). The content is written into an unnamed file that gets
// its name only when complete, so a failure or a kill at any moment leaves the name holding
// nothing (or the old file) and no other file behind. With Refuse, an existing entry of that
// name (also a link or a directory) stays and NameTaken is returned.
WriteResult writePrivateFile(const QString& target, std::string_view bytes, ExistingFile existing);

// Creates the empty file `path` for its owner only (mode 0600 from the start), failing with
// NameTaken when anything, a link included, stands under the name.
WriteResult createPrivateFile(const QString& path);

// Puts the complete file `replacement` in the place of `target` with one rename: it is flushed
// to disk first and takes the target's mode (and owner, where permitted), so the name holds
// the old file or the new one, never a part. Both must be in the same directory.
bool putInPlace(const QString& replacement, const QString& target);

// The names of the entries of a directory that are no directories (files, links, others);
// empty when it cannot be read.
QStringList fileNamesIn(const QString& directory);

// Removes a file (or link); true when it is gone, also when it was not there.
bool removeFile(const QString& path);

}  // namespace tessavo::platform
