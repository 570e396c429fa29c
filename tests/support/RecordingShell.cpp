#include "tests/support/RecordingShell.h"

namespace tessavo::test {

ScopedRecordingShell::ScopedRecordingShell() {
    auto shell = std::make_unique<RecordingShell>();
    shell_ = shell.get();
    previous_ = platform::installShell(std::move(shell));
}

ScopedRecordingShell::~ScopedRecordingShell() { platform::installShell(std::move(previous_)); }

}  // namespace tessavo::test
