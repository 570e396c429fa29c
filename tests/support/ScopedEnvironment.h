#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>

namespace tessavo::test {

// Sets (or, with std::nullopt, removes) one environment variable for the lifetime of the
// object and brings back the old state afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::optional<QByteArray>& value) : name_(name) {
        if (qEnvironmentVariableIsSet(name)) previous_ = qgetenv(name);
        apply(value);
    }
    ~ScopedEnvironment() { apply(previous_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    void apply(const std::optional<QByteArray>& value) {
        if (value)
            qputenv(name_, *value);
        else
            qunsetenv(name_);
    }

    const char* name_;
    std::optional<QByteArray> previous_;
};

}  // namespace tessavo::test
