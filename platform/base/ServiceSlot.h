#pragma once

#include <memory>
#include <utility>

namespace tessavo::platform {

// Holds the process-wide implementation of one platform service: the real one by default,
// a replacement (a recording or scripted one) when a test installs it.
template <class Interface>
class ServiceSlot {
public:
    using Factory = std::unique_ptr<Interface> (*)();

    explicit ServiceSlot(Factory makeDefault) : makeDefault_(makeDefault) {}

    Interface& get() {
        if (!instance_) instance_ = makeDefault_();
        return *instance_;
    }

    // Installs a replacement (nullptr brings back the default) and returns the previous one.
    std::unique_ptr<Interface> install(std::unique_ptr<Interface> replacement) {
        return std::exchange(instance_, std::move(replacement));
    }

private:
    Factory makeDefault_;
    std::unique_ptr<Interface> instance_;
};

}  // namespace tessavo::platform
