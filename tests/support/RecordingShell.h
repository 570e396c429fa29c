#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "platform/desktop/Shell.h"
#include "tests/support/ScopedFake.h"

namespace tessavo::test {

// Records every address handed to the desktop's default handler instead of opening it.
class RecordingShell final : public platform::Shell {
public:
    void openUrl(const QString& address) override { opened.push_back(address); }
    std::vector<QString> opened;
};

// Installs a RecordingShell for the lifetime of the object.
class ScopedRecordingShell : public ScopedFake<RecordingShell, platform::Shell> {
public:
    ScopedRecordingShell() : ScopedFake(&platform::installShell) {}
};

}  // namespace tessavo::test
