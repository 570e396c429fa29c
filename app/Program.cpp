#include "app/Program.h"

#include "access/Unit_Login.h"
#include "app/Artwork.h"
#include "app/Unit1.h"
#include "app/Wiring.h"

namespace tessavo::app {

Program::Program(const QString& appDir) : main_(std::make_unique<TForm1>(appDir)) {
    login_ = std::make_unique<access::TForm2>(loginHooksOf(*main_));
    login_->setWindowIcon(programIcon());
    main_->setLoginWindow(login_.get());
}

// The login window goes first; the main window's destruction then releases the hotkeys.
Program::~Program() { login_.reset(); }

}  // namespace tessavo::app
