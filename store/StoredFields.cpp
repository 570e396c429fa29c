#include "store/StoredFields.h"

#include <algorithm>
#include <array>
#include <bit>

#include "store/Words.h"

namespace tessavo::store {

namespace {

// The value of each upper-case hexadecimal digit; kNotHex marks every other byte. Cipher texts
// are runs of random digits, so a test per byte that branches on digit or letter would guess
// wrong half the time: the table (and the word-wide tests below) judge and pack without branching.
constexpr std::uint8_t kNotHex = 0x10;
constexpr std::array<std::uint8_t, 256> kHexValue = [] {
    std::array<std::uint8_t, 256> values{};
    values.fill(kNotHex);
    for (int digit = 0; digit < 10; ++digit) values['0' + digit] = static_cast<std::uint8_t>(digit);
    for (int letter = 0; letter < 6; ++letter) values['A' + letter] = static_cast<std::uint8_t>(10 + letter);
    return values;
}();

std::uint8_t hexValue(char digit) { return kHexValue[static_cast<unsigned char>(digit)]; }

// Cipher texts: a non-empty, even run of the digits 0-9 and A-F. Most other fields fail at their
// first byte; the rest are packed as they are judged, and the packing is thrown away (written over
// as a plain field) when a byte turns out not to be a digit.
bool mayPack(std::string_view text) {
    return !text.empty() && text.size() % 2 == 0 && hexValue(text.front()) != kNotHex;
}

constexpr std::uint64_t kEveryByte = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x80 * kEveryByte;

// The high bit of each byte of `word` (all below 0x80) that lies in [low, high].
constexpr std::uint64_t bytesWithin(std::uint64_t word, std::uint8_t low, std::uint8_t high) {
    const std::uint64_t atLeastLow = word + (0x80 - low) * kEveryByte;
    const std::uint64_t aboveHigh = word + (0x7F - high) * kEveryByte;
    return atLeastLow & ~aboveHigh & kHighBits;
}

static_assert(std::endian::native == std::endian::little, "the digits are read eight at a time, lowest byte first");

// Packs eight digits, eight bytes at once: false when one of them is no digit.
bool packEightDigits(char* at, std::uint64_t digits) {
    const std::uint64_t letters = bytesWithin(digits, 'A', 'F');
    if ((digits & kHighBits) != 0 || (bytesWithin(digits, '0', '9') | letters) != kHighBits) return false;
    // Each byte's value: its low four bits, plus 9 for a letter ('A' is 0x41).
    const std::uint64_t values = (digits & 0x0F * kEveryByte) + (letters >> 7) * 9;
    // Each even byte takes its value times 16 plus the odd byte's after it; the even bytes are
    // then gathered into the low half.
    std::uint64_t packed = ((values << 4) | (values >> 8)) & 0x00FF00FF00FF00FFu;
    packed = (packed | (packed >> 8)) & 0x0000FFFF0000FFFFu;
    packed = (packed | (packed >> 16)) & 0xFFFFFFFFu;
    words::store32(at, static_cast<std::uint32_t>(packed));
    return true;
}

// Writes the bytes the digits spell at `at`; false when one of them is no digit.
bool packDigits(char* at, std::string_view digits) {
    std::size_t digit = 0;
    for (; digit + 8 <= digits.size(); digit += 8, at += 4)
        if (!packEightDigits(at, words::load64(digits.data() + digit))) return false;
    std::uint8_t seen = 0;
    for (; digit < digits.size(); digit += 2) {
        const std::uint8_t high = hexValue(digits[digit]);
        const std::uint8_t low = hexValue(digits[digit + 1]);
        seen |= high | low;
        *at++ = static_cast<char>(high << 4 | low);
    }
    return (seen & kNotHex) == 0;
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

char* StoredField::write(char* at, std::string_view text) {
    if (mayPack(text)) {
        char* const bytes = writeHeader(at, text.size() + 1);  // twice the packed size, plus one
        if (packDigits(bytes, text)) return bytes + text.size() / 2;
    }
    if (const std::uint8_t scheme = schemeOf(text); scheme != 0) {
        at = writeHeader(writeHeader(at, kMarker), schemeNumber(scheme));
        text.remove_prefix(kSchemes[scheme - 1].size());
    }
    at = writeHeader(at, text.size() * 2);
    return std::copy(text.begin(), text.end(), at);
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
