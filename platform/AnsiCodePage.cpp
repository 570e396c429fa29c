#include "platform/AnsiCodePage.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace tessavo::platform {
namespace {

// One iconv conversion descriptor, closed when the object goes.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert GB18030");
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input; an invalid input sequence is replaced by `replacement`
    // (already in the target encoding) and skipped by `skip` bytes.
    std::string convert(std::string_view input, std::string_view replacement, size_t skip) {
        std::string output;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* out = buffer;
            size_t outLeft = sizeof buffer;
            const size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
            output.append(buffer, static_cast<size_t>(out - buffer));
            if (result == static_cast<size_t>(-1) && errno != E2BIG) {
                output.append(replacement);
                const size_t step = std::min(skip, inLeft);
                in += step;
                inLeft -= step;
            }
        }
        return output;
    }

private:
    iconv_t handle_;
};

}  // namespace

std::string toAnsi(const QString& text) {
    // GB18030 holds every Unicode scalar value; only lone surrogates cannot be converted,
    // and they become "?" as a code page's default character would.
    thread_local Converter converter("GB18030", "UTF-8");
    const QByteArray utf8 = text.toUtf8();
    return converter.convert(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), "?", 1);
}

QString fromAnsi(const std::string& bytes) {
    thread_local Converter converter("UTF-8", "GB18030");
    const std::string utf8 = converter.convert(bytes, "\xEF\xBF\xBD", 1);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace tessavo::platform
