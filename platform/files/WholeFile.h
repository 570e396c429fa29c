#pragma once

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace tessavo::platform {

// Whole-file reads and replacements for the program's small files (settings, desktop entries,
// backups). A replacement is written to a temporary file beside the target and renamed over it,
// so the target is always either the old file or the complete new one, never a half-written one.

enum class ReadOutcome { Ok, Missing, NotRegular, TooLarge, Failed };

struct FileContent {
    ReadOutcome outcome = ReadOutcome::Failed;
    std::string bytes;
};

// Reads a regular file of at most `limit` bytes. A device, pipe or directory is never read
// (and never waited for); a larger file is reported as TooLarge with no bytes.
FileContent readWholeFile(const QString& path, std::size_t limit);

// The first `count` bytes of a regular file, read without waiting on a pipe or device; fewer
// when the file is shorter, empty when it cannot be read.
std::string readFileHead(const QString& path, std::size_t count);

// How a file that does not exist yet is created; an existing target keeps its own mode.
enum class NewFileMode { Plain, Executable };

// Replaces (or creates) `target` with `bytes`. False when the target is a directory or another
// non-regular file, an existing file we may not write, or anything on the way fails.
bool replaceWholeFile(const QString& target, std::string_view bytes, NewFileMode mode = NewFileMode::Plain);

// Copies the regular file `source` over (or to) `target`, taking the source's mode.
// False, with nothing left behind, when the source is missing or anything fails.
bool copyWholeFile(const QString& source, const QString& target);

// How a private file is written when its name is taken.
enum class ExistingFile { Refuse, Replace };
enum class PrivateWrite { Written, NameTaken, Failed };
struct PrivateWriteResult {
    PrivateWrite outcome = PrivateWrite::Failed;
    int error = 0;  // the errno of a failure
};

// Writes `bytes` to a new file readable and writable by its owner only (mode 0600, whatever
// the umask or a replaced file's mode), through a temporary file beside the target, so the
// name holds either nothing (or the old file) or the complete new one. With Refuse, an
// existing entry of that name (also a link or a directory) stays and NameTaken is returned.
PrivateWriteResult writePrivateFile(const QString& target, std::string_view bytes, ExistingFile existing);

}  // namespace tessavo::platform
