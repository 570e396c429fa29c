#pragma once

#include <QString>
#include <memory>

#include "app/Program.h"
#include "bench/BenchData.h"
#include "platform/desktop/Dialogs.h"
#include "tests/support/QuietDialogs.h"
#include "tests/support/ScopedFake.h"

namespace tessavo::app {
class TForm1;
}  // namespace tessavo::app
namespace tessavo::access {
class TForm2;
}  // namespace tessavo::access

namespace tessavo::bench {

// The program's two windows over a working copy of a dataset on the offscreen platform, with
// the quiet boxes installed, the login gate run once (as the one-second timer would) and the
// user logged in. The figures drive the real handlers by clicking their buttons.
class ProgramSession {
public:
    explicit ProgramSession(const Dataset& dataset);
    ~ProgramSession();
    ProgramSession(const ProgramSession&) = delete;
    ProgramSession& operator=(const ProgramSession&) = delete;

    app::TForm1& main() { return program_->main(); }
    access::TForm2& login() { return program_->login(); }
    const WorkingCopy& files() const { return copy_; }
    test::QuietDialogs& dialogs() { return *dialogs_; }

    // Back to the login window: hidden to the tray, then the gate, the entry holding the password.
    void returnToLoginWindow();
    // The click on "进入" with the right password in the entry.
    void clickLogin();
    // Lets the windows lay out and paint what the last handler changed.
    void settle();

private:
    WorkingCopy copy_;
    test::ScopedFake<test::QuietDialogs, platform::Dialogs> dialogs_{&platform::installDialogs};
    std::unique_ptr<app::Program> program_;
};

}  // namespace tessavo::bench
