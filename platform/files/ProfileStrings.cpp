#include "platform/files/ProfileStrings.h"

#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/AnsiCodePage.h"
#include "platform/base/Error.h"
#include "platform/base/IntegerText.h"
#include "platform/files/WholeFile.h"

namespace tessavo::platform::profile {
namespace {

enum class Encoding { Ansi, Utf8, Utf16Le };

constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// One line of the file. Lines that a write does not touch go back byte for byte as they came,
// whatever they hold.
struct Line {
    std::string raw;     // as in the file, without the line end
    std::string ending;  // as in the file; empty for an unterminated last line
    QString text;        // decoded
    bool rewritten = false;
};

struct Document {
    Encoding encoding = Encoding::Ansi;
    std::string_view byteOrderMark;
    std::vector<Line> lines;
};

std::size_t unitSize(Encoding encoding) { return encoding == Encoding::Utf16Le ? 2 : 1; }

bool isAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

QString decode(std::string_view raw, Encoding encoding) {
    switch (encoding) {
        case Encoding::Ansi:
            if (isAscii(raw)) return QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
            return fromAnsi(std::string(raw));
        case Encoding::Utf8:
            return QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
        case Encoding::Utf16Le: {
            QString text;
            text.reserve(static_cast<qsizetype>(raw.size() / 2));
            for (std::size_t i = 0; i + 1 < raw.size(); i += 2) {
                const auto low = static_cast<unsigned char>(raw[i]);
                const auto high = static_cast<unsigned char>(raw[i + 1]);
                text.append(QChar(static_cast<char16_t>(low | (high << 8))));
            }
            return text;
        }
    }
    return {};
}

std::string encode(const QString& text, Encoding encoding) {
    switch (encoding) {
        case Encoding::Ansi:
            return toAnsi(text);
        case Encoding::Utf8:
            return text.toStdString();
        case Encoding::Utf16Le: {
            std::string bytes;
            bytes.reserve(static_cast<std::size_t>(text.size()) * 2);
            for (const QChar c : text) {
                bytes.push_back(static_cast<char>(c.unicode() & 0xFF));
                bytes.push_back(static_cast<char>(c.unicode() >> 8));
            }
            return bytes;
        }
    }
    return {};
}

bool isUnit(std::string_view body, std::size_t at, char c, std::size_t unit) {
    return body[at] == c && (unit == 1 || body[at + 1] == '\0');
}

Line makeLine(std::string_view raw, std::string_view ending, Encoding encoding) {
    return Line{std::string(raw), std::string(ending), decode(raw, encoding)};
}

// Splits at each LF; a CR right before it belongs to the line end.
std::vector<Line> splitLines(std::string_view body, Encoding encoding) {
    const std::size_t unit = unitSize(encoding);
    std::vector<Line> lines;
    std::size_t start = 0;
    for (std::size_t at = 0; at + unit <= body.size(); at += unit) {
        if (!isUnit(body, at, '\n', unit)) continue;
        std::size_t end = at;
        if (end >= start + unit && isUnit(body, end - unit, '\r', unit)) end -= unit;
        lines.push_back(makeLine(body.substr(start, end - start), body.substr(end, at + unit - end), encoding));
        start = at + unit;
    }
    if (start < body.size()) lines.push_back(makeLine(body.substr(start), {}, encoding));
    return lines;
}

Document parseDocument(std::string_view bytes) {
    Document document;
    if (bytes.starts_with(kUtf16LeBom)) {
        document.encoding = Encoding::Utf16Le;
        document.byteOrderMark = kUtf16LeBom;
    } else if (bytes.starts_with(kUtf8Bom)) {
        document.encoding = Encoding::Utf8;
        document.byteOrderMark = kUtf8Bom;
    }
    bytes.remove_prefix(document.byteOrderMark.size());
    document.lines = splitLines(bytes, document.encoding);
    return document;
}

bool sameName(const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) == 0; }

std::optional<QString> sectionName(const QString& text) {
    const QString trimmed = text.trimmed();
    if (!trimmed.startsWith(u'[')) return std::nullopt;
    const qsizetype close = trimmed.indexOf(u']');
    return (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
}

QString unquoted(const QString& value) {
    const bool quoted =
        value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front();
    return quoted ? value.mid(1, value.size() - 2) : value;
}

struct Entry {
    QString key;
    QString value;
};

std::optional<Entry> entryOf(const QString& text) {
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0) return std::nullopt;
    return Entry{text.left(equals).trimmed(), unquoted(text.mid(equals + 1).trimmed())};
}

// The lines of one section: its header and the lines up to the next header.
struct SectionSpan {
    std::size_t header;
    std::size_t end;
};

std::optional<SectionSpan> findSection(const std::vector<Line>& lines, const QString& section) {
    for (std::size_t at = 0; at < lines.size(); ++at) {
        const auto name = sectionName(lines[at].text);
        if (!name || !sameName(*name, section)) continue;
        std::size_t end = at + 1;
        while (end < lines.size() && !sectionName(lines[end].text)) ++end;
        return SectionSpan{at, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<Line>& lines, SectionSpan span, const QString& key) {
    for (std::size_t at = span.header + 1; at < span.end; ++at) {
        const auto entry = entryOf(lines[at].text);
        if (entry && sameName(entry->key, key)) return at;
    }
    return std::nullopt;
}

std::optional<QString> findValue(const Document& document, const QString& section, const QString& key) {
    const auto span = findSection(document.lines, section);
    if (!span) return std::nullopt;
    const auto at = findKey(document.lines, *span, key);
    if (!at) return std::nullopt;
    return entryOf(document.lines[*at].text)->value;
}

// The line end of the file's first terminated line; CRLF for a file without one.
std::string newlineOf(const Document& document) {
    for (const Line& line : document.lines)
        if (!line.ending.empty()) return line.ending;
    return encode(QStringLiteral("\r\n"), document.encoding);
}

Line newLine(const Document& document, const QString& text) { return Line{{}, newlineOf(document), text, true}; }

// Makes sure the line before a new one is terminated and whole in the file's encoding.
void terminateLineBefore(Document& document, std::size_t position) {
    if (position == 0) return;
    Line& previous = document.lines[position - 1];
    if (previous.ending.empty()) previous.ending = newlineOf(document);
    if (previous.raw.size() % unitSize(document.encoding) != 0) previous.rewritten = true;
}

void insertLine(Document& document, std::size_t position, const QString& text) {
    terminateLineBefore(document, position);
    const Line line = newLine(document, text);
    document.lines.insert(document.lines.begin() + static_cast<std::ptrdiff_t>(position), line);
}

void setValue(Document& document, const QString& section, const QString& key, const QString& value) {
    const QString entry = key + u'=' + value;
    const auto span = findSection(document.lines, section);
    if (!span) {
        insertLine(document, document.lines.size(), u'[' + section + u']');
        insertLine(document, document.lines.size(), entry);
        return;
    }
    if (const auto at = findKey(document.lines, *span, key)) {
        document.lines[*at].text = entry;
        document.lines[*at].rewritten = true;
        return;
    }
    // After the section's last non-blank line, so blank lines before the next section stay there.
    std::size_t position = span->end;
    while (position > span->header + 1 && document.lines[position - 1].text.trimmed().isEmpty()) --position;
    insertLine(document, position, entry);
}

std::string serialize(const Document& document) {
    std::string bytes(document.byteOrderMark);
    for (const Line& line : document.lines) {
        bytes += line.rewritten ? encode(line.text, document.encoding) : line.raw;
        bytes += line.ending;
    }
    return bytes;
}

bool hasLineBreak(const QString& text) { return text.contains(u'\n') || text.contains(u'\r'); }

// Names and values that would read back as something else once written.
bool storable(const QString& section, const QString& key, const QString& value) {
    return !section.contains(u']') && !hasLineBreak(section) && !key.contains(u'=') && !hasLineBreak(key) &&
           !key.trimmed().startsWith(u'[') && !hasLineBreak(value);
}

Error unableToWrite(const QString& file) {
    return Error(QStringLiteral("Unable to write to %1").arg(QFileInfo(file).absoluteFilePath()));
}

std::optional<Document> loadForReading(const QString& file) {
    const FileContent content = readWholeFile(file, kMaxFileSize);
    if (content.outcome != ReadOutcome::Ok) return std::nullopt;
    return parseDocument(content.bytes);
}

// A file that exists but cannot be read whole is never rewritten: its other lines would be lost.
Document loadForWriting(const QString& file) {
    const FileContent content = readWholeFile(file, kMaxFileSize);
    if (content.outcome == ReadOutcome::Missing) return Document{};
    if (content.outcome != ReadOutcome::Ok) throw unableToWrite(file);
    return parseDocument(content.bytes);
}

}  // namespace

QString readString(const QString& file, const QString& section, const QString& key, const QString& defaultValue) {
    const auto document = loadForReading(file);
    if (!document) return defaultValue;
    return findValue(*document, section, key).value_or(defaultValue);
}

std::int32_t readInteger(const QString& file, const QString& section, const QString& key, std::int32_t defaultValue) {
    // A missing key reads as the empty text, which is no integer either.
    return parseInteger(readString(file, section, key, {}).toStdString()).value_or(defaultValue);
}

bool readBool(const QString& file, const QString& section, const QString& key, bool defaultValue) {
    return readInteger(file, section, key, defaultValue ? 1 : 0) != 0;
}

void writeString(const QString& file, const QString& section, const QString& key, const QString& value) {
    if (!storable(section, key, value)) throw unableToWrite(file);
    Document document = loadForWriting(file);
    setValue(document, section, key, value);
    if (!replaceWholeFile(file, serialize(document))) throw unableToWrite(file);
}

}  // namespace tessavo::platform::profile
