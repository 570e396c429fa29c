#pragma once

#include <QString>
#include <optional>

namespace tessavo::platform {

// Reads a password for a command-line tool: one line from standard input, or from the
// controlling terminal after `prompt`, with echo turned off while it is typed (and on again,
// also when reading fails). The line ends at a newline, which is not part of the password.
// Nothing when there is no line to read (no terminal, end of input).
std::optional<QString> readPasswordLine(bool fromStandardInput, const QString& prompt);

}  // namespace tessavo::platform
