#include "store/StoredFields.h"

#include <algorithm>
#include <array>

namespace tessavo::store {

namespace {

// The value of each upper-case hexadecimal digit; kNotHex marks every other byte. Cipher texts
// are runs of random digits, so a test per byte that branches on digit or letter would guess
// wrong half the time: the table lets a whole field be judged and packed without branching.
constexpr std::uint8_t kNotHex = 0x10;
constexpr std::array<std::uint8_t, 256> kHexValue = [] {
    std::array<std::uint8_t, 256> values{};
    values.fill(kNotHex);
    for (int digit = 0; digit < 10; ++digit) values['0' + digit] = static_cast<std::uint8_t>(digit);
    for (int letter = 0; letter < 6; ++letter) values['A' + letter] = static_cast<std::uint8_t>(10 + letter);
    return values;
}();

std::uint8_t hexValue(char digit) { return kHexValue[static_cast<unsigned char>(digit)]; }

// The two loops over digits below stay plain byte-by-byte code: the compiler's vector form of
// them spills to the stack and is slower.
#if defined(__GNUC__) && !defined(__clang__)
#define TESSAVO_SCALAR_LOOP __attribute__((optimize("no-tree-vectorize")))
#else
#define TESSAVO_SCALAR_LOOP
#endif

// Cipher texts: a non-empty, even run of the digits 0-9 and A-F. Most other fields fail at
// their first byte.
TESSAVO_SCALAR_LOOP bool isPackable(std::string_view text) {
    if (text.empty() || text.size() % 2 != 0 || hexValue(text.front()) == kNotHex) return false;
    std::uint8_t seen = 0;
    for (const char byte : text) seen |= hexValue(byte);
    return (seen & kNotHex) == 0;
}

TESSAVO_SCALAR_LOOP char* packDigits(char* at, std::string_view digits) {
    for (std::size_t digit = 0; digit < digits.size(); digit += 2)
        *at++ = static_cast<char>(hexValue(digits[digit]) << 4 | hexValue(digits[digit + 1]));
    return at;
}

constexpr std::size_t kMarker = 1;

// Web addresses nearly all begin with one of these; a longer one comes before its own start.
constexpr std::array<std::string_view, 4> kSchemes = {"https://www.", "http://www.", "https://", "http://"};

std::uint8_t schemeOf(std::string_view text) {
    if (text.size() < 8 || text[0] != 'h') return 0;  // most fields end the search here
    for (std::size_t scheme = 0; scheme < kSchemes.size(); ++scheme)
        if (text.substr(0, kSchemes[scheme].size()) == kSchemes[scheme]) return static_cast<std::uint8_t>(scheme + 1);
    return 0;
}

// The number after the marker: odd for a scheme, even for a shared field.
std::size_t schemeNumber(std::uint8_t scheme) { return (scheme - 1u) * 2 + 1; }
std::size_t referenceNumber(std::uint32_t shared) { return std::size_t{shared} * 2; }

std::size_t headerSize(std::size_t header) {
    std::size_t size = 1;
    for (; header >= 0x80; header >>= 7) ++size;
    return size;
}

char* writeHeader(char* at, std::size_t header) {
    for (; header >= 0x80; header >>= 7) *at++ = static_cast<char>(header | 0x80);
    *at++ = static_cast<char>(header);
    return at;
}

const char* readHeader(const char* at, std::size_t& header) {
    header = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        header |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if (byte < 0x80) return at;
    }
}

// The end of the plain field at `at`.
const char* pastPlain(const char* at) {
    std::size_t header = 0;
    const char* const bytes = readHeader(at, header);
    return bytes + (header >> 1);
}

}  // namespace

StoredField StoredField::of(std::string_view text) {
    StoredField field;
    field.packed_ = isPackable(text);
    field.scheme_ = field.packed_ ? 0 : schemeOf(text);
    if (field.scheme_ != 0) text.remove_prefix(kSchemes[field.scheme_ - 1].size());
    field.text_ = text;
    const std::size_t stored = field.packed_ ? text.size() / 2 : text.size();
    field.header_ = stored * 2 + (field.packed_ ? 1 : 0);
    field.size_ = headerSize(field.header_) + stored;
    if (field.scheme_ != 0) field.size_ += headerSize(kMarker) + headerSize(schemeNumber(field.scheme_));
    return field;
}

char* StoredField::write(char* at) const {
    if (scheme_ != 0) at = writeHeader(writeHeader(at, kMarker), schemeNumber(scheme_));
    at = writeHeader(at, header_);
    return packed_ ? packDigits(at, text_) : std::copy(text_.begin(), text_.end(), at);
}

std::size_t StoredField::referenceSize(std::uint32_t shared) {
    return headerSize(kMarker) + headerSize(referenceNumber(shared));
}

char* StoredField::writeReference(char* at, std::uint32_t shared) {
    return writeHeader(writeHeader(at, kMarker), referenceNumber(shared));
}

const char* StoredField::next(const char* at, std::string_view& stored, bool& isReference, std::uint32_t& shared) {
    std::size_t header = 0;
    const char* const afterHeader = readHeader(at, header);
    const char* end = afterHeader + (header >> 1);
    isReference = false;
    if (header == kMarker) {
        std::size_t number = 0;
        const char* const afterNumber = readHeader(afterHeader, number);
        if (number % 2 == 0) {
            isReference = true;
            shared = static_cast<std::uint32_t>(number / 2);
            return afterNumber;
        }
        end = pastPlain(afterNumber);
    }
    stored = std::string_view(at, static_cast<std::size_t>(end - at));
    return end;
}

QString StoredField::text(std::string_view stored) {
    std::size_t header = 0;
    const char* bytes = readHeader(stored.data(), header);
    QString scheme;
    if (header == kMarker) {
        std::size_t number = 0;
        bytes = readHeader(readHeader(bytes, number), header);
        scheme = QLatin1String(kSchemes[number / 2].data(), static_cast<qsizetype>(kSchemes[number / 2].size()));
    }
    const auto size = static_cast<qsizetype>(header >> 1);
    if ((header & 1) == 0) return scheme + QString::fromUtf8(bytes, size);

    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    QString text(size * 2, Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : std::string_view(bytes, static_cast<std::size_t>(size))) {
        const auto value = static_cast<unsigned char>(byte);
        *out++ = QChar(kDigits[value >> 4]);
        *out++ = QChar(kDigits[value & 0x0F]);
    }
    return text;
}

}  // namespace tessavo::store
