#pragma once

#include <memory>
#include <utility>

namespace tessavo::test {

// Installs a replacement of one platform service (a fake, or a real implementation on a test's
// own display) for the lifetime of the object and brings back the previous implementation
// afterwards. Every test, bench and helper program installs its replacements through it.
template <class Fake, class Interface>
class ScopedFake {
public:
    using Install = std::unique_ptr<Interface> (*)(std::unique_ptr<Interface>);

    // Installs a Fake made from `arguments`.
    template <class... Arguments>
    explicit ScopedFake(Install install, Arguments&&... arguments) : install_(install) {
        auto fake = std::make_unique<Fake>(std::forward<Arguments>(arguments)...);
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
