#include "maintenance/transfer/CsvReader.h"

#include <algorithm>

#include "maintenance/transfer/Utf8Text.h"

namespace tessavo::maintenance::transfer {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::size_t lineAt(std::string_view text, std::size_t offset) {
    return 1 +
           static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

// Walks the text once, keeping the line number as it goes.
class Scanner {
public:
    explicit Scanner(std::string_view text, std::size_t firstLine = 1) : text_(text), line_(firstLine) {}

    std::vector<CsvRecord> records() {
        std::vector<CsvRecord> result;
        while (!atEnd()) {
            CsvRecord record = nextRecord();
            const bool emptyLine = record.fields.size() == 1 && record.fields.front().empty() && !lastFieldQuoted_;
            if (!emptyLine) result.push_back(std::move(record));
        }
        return result;
    }

private:
    bool atEnd() const { return at_ >= text_.size(); }
    char peek() const { return text_[at_]; }
    bool atLineBreak() const { return peek() == '\n' || (peek() == '\r' && text_.substr(at_, 2) == "\r\n"); }

    void skipLineBreak() {
        at_ += peek() == '\r' ? 2 : 1;
        ++line_;
    }

    CsvRecord nextRecord() {
        CsvRecord record;
        record.line = line_;
        for (;;) {
            record.fields.push_back(nextField());
            if (atEnd()) return record;
            if (atLineBreak()) {
                skipLineBreak();
                return record;
            }
            ++at_;  // the comma
        }
    }

    std::string nextField() {
        lastFieldQuoted_ = !atEnd() && peek() == '"';
        return lastFieldQuoted_ ? quotedField() : plainField();
    }

    std::string plainField() {
        const std::size_t start = at_;
        while (!atEnd() && peek() != ',' && !atLineBreak()) {
            if (peek() == '"') throw CsvError(line_, "a quote inside a field that does not start with one");
            ++at_;
        }
        return std::string(text_.substr(start, at_ - start));
    }

    std::string quotedField() {
        const std::size_t openedOn = line_;
        ++at_;
        std::string field;
        for (;;) {
            const std::size_t quote = text_.find('"', at_);
            if (quote == std::string_view::npos) throw CsvError(openedOn, "a quoted field is never closed");
            const std::string_view part = text_.substr(at_, quote - at_);
            line_ += static_cast<std::size_t>(std::count(part.begin(), part.end(), '\n'));
            field.append(part);
            at_ = quote + 1;
            if (atEnd() || peek() != '"') break;
            field.push_back('"');  // a doubled quote stands for one
            ++at_;
        }
        if (!atEnd() && peek() != ',' && !atLineBreak())
            throw CsvError(line_, "a closing quote is followed by something other than a comma or a line break");
        return field;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t line_;
    bool lastFieldQuoted_ = false;
};

}  // namespace

CsvError::CsvError(std::size_t line, const std::string& reason)
    : std::runtime_error("line " + std::to_string(line) + ": " + reason), line_(line), reason_(reason) {}

std::vector<CsvRecord> readCsvRecords(std::string_view text) {
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
    if (const auto invalid = firstInvalidUtf8(text)) throw CsvError(lineAt(text, *invalid), "the text is not UTF-8");
    return Scanner(text).records();
}

void CsvRecordStream::feed(std::string_view piece, std::vector<CsvRecord>& records) {
    pending_.append(piece);
    if (!markChecked_) {
        if (pending_.size() < kByteOrderMark.size()) return;
        if (std::string_view(pending_).substr(0, kByteOrderMark.size()) == kByteOrderMark)
            pending_.erase(0, kByteOrderMark.size());
        markChecked_ = true;
    }
    // A doubled quote opens and closes again, so counting quotes tells whether a line break
    // stands inside a quoted field.
    std::size_t recordEnd = 0;
    for (std::size_t at = scanned_; at < pending_.size(); ++at) {
        if (pending_[at] == '"') inQuotes_ = !inQuotes_;
        if (pending_[at] == '\n' && !inQuotes_) recordEnd = at + 1;
    }
    scanned_ = pending_.size();
    if (recordEnd > 0) readUpTo(recordEnd, records);
}

void CsvRecordStream::finish(std::vector<CsvRecord>& records) {
    if (!markChecked_ && std::string_view(pending_).substr(0, kByteOrderMark.size()) == kByteOrderMark)
        pending_.erase(0, kByteOrderMark.size());
    markChecked_ = true;
    readUpTo(pending_.size(), records);
}

void CsvRecordStream::readUpTo(std::size_t end, std::vector<CsvRecord>& records) {
    const std::string_view part = std::string_view(pending_).substr(0, end);
    if (const auto invalid = firstInvalidUtf8(part))
        throw CsvError(line_ + lineAt(part, *invalid) - 1, "the text is not UTF-8");
    std::vector<CsvRecord> read = Scanner(part, line_).records();
    records.insert(records.end(), std::make_move_iterator(read.begin()), std::make_move_iterator(read.end()));
    line_ += static_cast<std::size_t>(std::count(part.begin(), part.end(), '\n'));
    pending_.erase(0, end);
    scanned_ -= end;
}

void checkFieldCount(const CsvRecord& row, std::size_t headerFields) {
    if (row.fields.size() != headerFields)
        throw CsvError(row.line, "the row has " + std::to_string(row.fields.size()) + " fields where the header has " +
                                     std::to_string(headerFields));
}

CsvTable readCsvTable(std::string_view text) {
    std::vector<CsvRecord> records = readCsvRecords(text);
    if (records.empty()) throw CsvError(1, "the file is empty; a header row is expected");
    CsvTable table{std::move(records.front()), {}};
    table.rows.assign(std::make_move_iterator(records.begin() + 1), std::make_move_iterator(records.end()));
    for (const CsvRecord& row : table.rows) checkFieldCount(row, table.header.fields.size());
    return table;
}

}  // namespace tessavo::maintenance::transfer
