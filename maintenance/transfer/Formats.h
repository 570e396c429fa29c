#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "maintenance/transfer/CsvWriter.h"

// The comma-separated files of the password managers we move records to and from.
namespace tessavo::maintenance::transfer {

enum class Format { Tessavo, KeePassXC, Bitwarden, Chrome, Firefox };

struct FormatInfo {
    Format format;
    const char* name;                          // as the command line names it
    std::vector<std::string> columns;          // the header this program writes (all a file must have)
    std::vector<std::string> optionalColumns;  // further columns a file of that manager may hold
    CsvStyle style;
    bool exportable;
};

const FormatInfo& formatInfo(Format format);
// The format with this command-line name; none for an unknown name.
std::optional<Format> formatNamed(const QString& name);
// Every command-line name, joined by "|", for messages.
QString formatNames(bool exportableOnly);

// The format whose file starts with this header: it holds every column the format requires,
// each once, and no column the format does not know. None when no format matches.
std::optional<Format> recogniseHeader(const std::vector<std::string>& header);

}  // namespace tessavo::maintenance::transfer
