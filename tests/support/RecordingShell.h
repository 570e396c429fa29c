#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "platform/desktop/Shell.h"

namespace tessavo::test {

// Records every address handed to the desktop's default handler instead of opening it.
class RecordingShell final : public platform::Shell {
public:
    void openUrl(const QString& address) override { opened.push_back(address); }
    std::vector<QString> opened;
};

// Installs a RecordingShell for the lifetime of the object.
class ScopedRecordingShell {
public:
    ScopedRecordingShell();
    ~ScopedRecordingShell();
    ScopedRecordingShell(const ScopedRecordingShell&) = delete;
    ScopedRecordingShell& operator=(const ScopedRecordingShell&) = delete;
    RecordingShell* operator->() { return shell_; }

private:
    RecordingShell* shell_;
    std::unique_ptr<platform::Shell> previous_;
};

}  // namespace tessavo::test
