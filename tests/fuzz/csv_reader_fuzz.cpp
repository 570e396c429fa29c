// The import's reader of comma-separated files over any bytes: it either refuses them with a
// line number inside the text or gives records that the writer writes back to the same fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "maintenance/transfer/CsvReader.h"
#include "maintenance/transfer/CsvWriter.h"

using tessavo::maintenance::transfer::CsvError;
using tessavo::maintenance::transfer::CsvRecord;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

std::size_t lineCount(std::string_view text) {
    std::size_t lines = 1;
    for (const char c : text) lines += c == '\n' ? 1 : 0;
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<CsvRecord> records;
    try {
        records = tessavo::maintenance::transfer::readCsvRecords(text);
    } catch (const CsvError& error) {
        require(error.line() >= 1 && error.line() <= lineCount(text));
        return 0;
    }
    try {
        (void)tessavo::maintenance::transfer::readCsvTable(text);
    } catch (const CsvError& error) {  // an empty file or a row of another width
        require(error.line() >= 1 && error.line() <= lineCount(text));
    }
    std::string written;
    for (const CsvRecord& record : records) {
        require(record.line >= 1 && record.line <= lineCount(text));
        written += tessavo::maintenance::transfer::csvLine(record.fields, {true, "\r\n"});
    }
    const std::vector<CsvRecord> again = tessavo::maintenance::transfer::readCsvRecords(written);
    require(again.size() == records.size());
    for (std::size_t i = 0; i < records.size(); ++i) require(again[i].fields == records[i].fields);
    return 0;
}
