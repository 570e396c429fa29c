#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessavo::maintenance::transfer {

// How a file of comma-separated values is written: quotes around every field or only where a
// field needs them (a comma, a quote, CR or LF in it), and the line break after each record.
struct CsvStyle {
    bool quoteEveryField = false;
    std::string_view lineBreak = "\r\n";
};

// One record, its fields separated by commas, quotes inside a quoted field doubled, followed
// by the style's line break.
std::string csvLine(const std::vector<std::string>& fields, const CsvStyle& style);

}  // namespace tessavo::maintenance::transfer
