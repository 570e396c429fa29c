#pragma once

#include <stdexcept>
#include <string>

class QString;

namespace tessavo {

// The one error type of the program. Its text is what the error box shows.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& text) : std::runtime_error(text) {}
    explicit Error(const QString& text);
};

}  // namespace tessavo
