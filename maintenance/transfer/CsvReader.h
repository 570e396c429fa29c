#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A strict reader of comma-separated files as RFC 4180 describes them, for the exports of
// password managers: UTF-8 text (a leading byte order mark is dropped), fields in double
// quotes may hold commas, quotes (doubled) and line breaks; records end with CR LF or LF.
// Plain C++ only, so the fuzz target builds it on its own.
namespace tessavo::maintenance::transfer {

// What makes a file unreadable, with the 1-based line where the fault lies.
class CsvError : public std::runtime_error {
public:
    CsvError(std::size_t line, const std::string& reason);
    std::size_t line() const { return line_; }
    const std::string& reason() const { return reason_; }

private:
    std::size_t line_;
    std::string reason_;
};

struct CsvRecord {
    std::size_t line = 0;  // the line the record starts on
    std::vector<std::string> fields;
};

// Every record of the text, in order. Empty lines are no records. Throws CsvError for text
// that is not UTF-8, a quote left open at the end, a quote inside an unquoted field, or
// anything but a comma or a line break after a closing quote.
std::vector<CsvRecord> readCsvRecords(std::string_view text);

// The records of a text that arrives in pieces (a file read part by part): the same records,
// and the same refusals, as readCsvRecords gives for the whole text, while only the record
// under way is kept between pieces. A piece is read once its last complete line is known to
// end a record (a line break outside quotes).
class CsvRecordStream {
public:
    // Appends the records that the text so far completes to `records`. Throws CsvError.
    void feed(std::string_view piece, std::vector<CsvRecord>& records);
    // The text has ended: appends its last record (one without a final line break). Throws
    // CsvError, e.g. for a quote left open.
    void finish(std::vector<CsvRecord>& records);

private:
    void readUpTo(std::size_t end, std::vector<CsvRecord>& records);

    std::string pending_;       // the text not read yet, from the start of a record
    std::size_t line_ = 1;      // the line pending_ starts on
    std::size_t scanned_ = 0;   // how much of pending_ was looked through for record ends
    bool inQuotes_ = false;     // whether the text up to scanned_ leaves a quote open
    bool markChecked_ = false;  // whether a leading byte order mark was looked for
};

// A header and the rows under it, each row holding exactly as many fields as the header.
struct CsvTable {
    CsvRecord header;
    std::vector<CsvRecord> rows;
};

// readCsvRecords, then the first record as the header. Throws CsvError for an empty text and
// for a row whose field count differs from the header's.
CsvTable readCsvTable(std::string_view text);

// Refuses a row whose field count differs from the header's (CsvError).
void checkFieldCount(const CsvRecord& row, std::size_t headerFields);

}  // namespace tessavo::maintenance::transfer
