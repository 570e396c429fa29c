#include "maintenance/transfer/CsvWriter.h"

namespace tessavo::maintenance::transfer {
namespace {

bool needsQuotes(std::string_view field) { return field.find_first_of(",\"\r\n") != std::string_view::npos; }

void appendField(std::string& line, std::string_view field, const CsvStyle& style) {
    if (!style.quoteEveryField && !needsQuotes(field)) {
        line.append(field);
        return;
    }
    line.push_back('"');
    for (const char c : field) {
        if (c == '"') line.push_back('"');
        line.push_back(c);
    }
    line.push_back('"');
}

}  // namespace

std::string csvLine(const std::vector<std::string>& fields, const CsvStyle& style) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line.push_back(',');
        appendField(line, fields[i], style);
    }
    line.append(style.lineBreak);
    return line;
}

}  // namespace tessavo::maintenance::transfer
