#pragma once

#include <memory>

namespace tessavo::test {

// Installs a fake of one platform service for the lifetime of the object and brings back the
// previous implementation afterwards.
template <class Fake, class Interface>
class ScopedFake {
public:
    using Install = std::unique_ptr<Interface> (*)(std::unique_ptr<Interface>);

    explicit ScopedFake(Install install) : install_(install) {
        auto fake = std::make_unique<Fake>();
        fake_ = fake.get();
        previous_ = install_(std::move(fake));
    }
    ~ScopedFake() { install_(std::move(previous_)); }
    ScopedFake(const ScopedFake&) = delete;
    ScopedFake& operator=(const ScopedFake&) = delete;

    Fake* operator->() { return fake_; }
    Fake& operator*() { return *fake_; }

private:
    Install install_;
    Fake* fake_ = nullptr;
    std::unique_ptr<Interface> previous_;
};

}  // namespace tessavo::test
