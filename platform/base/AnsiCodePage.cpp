#include "platform/base/AnsiCodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "platform/base/Error.h"
#include "platform/base/Wipe.h"

namespace tessavo::platform {
namespace {

// Code page 936 writes the euro sign as the single byte 0x80, where GB18030 uses A2 E3; 0x80 is
// never the start of a GB18030 character, so both directions can tell it apart.
constexpr char16_t kEuroSign = u'\u20AC';
constexpr char kEuroByte = '\x80';
constexpr std::string_view kEuroUtf8 = "\xE2\x82\xAC";
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

// What to write for an input sequence the converter cannot read: text already in the target
// encoding, and how many input bytes it stands for.
struct Substitute {
    std::string_view text;
    size_t skip;
};
using SubstituteFor = Substitute (*)(std::string_view rest);

// One iconv conversion descriptor, closed when the object goes.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw Error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; a sequence that cannot be converted is replaced as
    // `substituteFor` says. The scratch buffer is wiped, since the text may be a secret.
    void convert(std::string_view input, SubstituteFor substituteFor, std::string& output) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* out = buffer;
            size_t outLeft = sizeof buffer;
            const size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
            const int error = errno;
            output.append(buffer, static_cast<size_t>(out - buffer));
            if (result == static_cast<size_t>(-1) && error != E2BIG) {
                // EILSEQ (invalid sequence) or EINVAL (sequence cut off at the end).
                const Substitute substitute = substituteFor(std::string_view(in, inLeft));
                output.append(substitute.text);
                const size_t step = std::min(substitute.skip, inLeft);
                in += step;
                inLeft -= step;
            }
        }
        wipe(buffer, sizeof buffer);
    }

private:
    iconv_t handle_;
};

// GB18030 holds every Unicode scalar value; only lone surrogates cannot be converted, and they
// become "?" as a code page's default character would.
Substitute unencodable(std::string_view) { return {"?", 1}; }

Substitute undecodable(std::string_view rest) {
    if (rest.front() == kEuroByte) return {kEuroUtf8, 1};
    return {kReplacementUtf8, 1};
}

void appendGb18030(QStringView text, std::string& output) {
    thread_local Converter converter("GB18030", "UTF-8");
    QByteArray utf8 = text.toUtf8();
    converter.convert(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), unencodable, output);
    wipe(utf8);
}

}  // namespace

// Both directions reserve the largest possible result first, so that a growing string leaves
// no copies of a secret behind: a UTF-16 unit makes at most four GB18030 bytes, and a GB18030
// byte at most three UTF-8 bytes (an undecodable byte becomes U+FFFD).
std::string toAnsi(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()) * 4);
    qsizetype start = 0;
    for (qsizetype euro = text.indexOf(kEuroSign); euro >= 0; euro = text.indexOf(kEuroSign, start)) {
        appendGb18030(QStringView(text).mid(start, euro - start), bytes);
        bytes.push_back(kEuroByte);
        start = euro + 1;
    }
    appendGb18030(QStringView(text).mid(start), bytes);
    return bytes;
}

QString fromAnsi(const std::string& bytes) {
    thread_local Converter converter("UTF-8", "GB18030");
    std::string utf8;
    utf8.reserve(bytes.size() * 3);
    converter.convert(bytes, undecodable, utf8);
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    wipe(utf8);
    return text;
}

}  // namespace tessavo::platform
