#pragma once

#include <QString>
#include <memory>

namespace tessavo::platform {

// Hands addresses to the desktop's default handler (browser, file manager).
class Shell {
public:
    virtual ~Shell() = default;
    virtual void openUrl(const QString& address) = 0;
};

Shell& shell();
std::unique_ptr<Shell> installShell(std::unique_ptr<Shell> replacement);

}  // namespace tessavo::platform
