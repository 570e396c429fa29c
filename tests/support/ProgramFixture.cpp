#include "tests/support/ProgramFixture.h"

#include "access/Unit_Login.h"
#include "app/Unit1.h"
#include "platform/desktop/Guard.h"
#include "platform/desktop/NotificationArea.h"
#include "store/InitialDatabase.h"
#include "tests/support/ProgramLogin.h"

namespace tessavo::test {

void ProgramFixture::SetUp() {
    platform::overrideNotificationArea(withNotificationArea());
    ASSERT_TRUE(directory_.isValid());
    appDir_ = directory_.path() + QLatin1Char('/');
    if (withDatabase()) store::createInitialDatabase(directory_.path());
    program_ = std::make_unique<app::Program>(appDir_);
}

void ProgramFixture::TearDown() {
    program_.reset();
    platform::overrideNotificationArea(std::nullopt);
}

void ProgramFixture::logIn(const QString& password) {
    platform::trigger(main().Button_CheckLogin);
    enterPasswordAndLogIn(*program_, password);
}

}  // namespace tessavo::test
