#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "app/Program.h"
#include "tests/support/ScriptedDialogs.h"

namespace tessavo::app {
class TForm1;
}  // namespace tessavo::app
namespace tessavo::access {
class TForm2;
}  // namespace tessavo::access

namespace tessavo::test {

// The program's two windows over a temporary application directory with its own initial
// _.udb, on a desktop with a notification area; every box they show is answered by the
// scripted responder.
class ProgramFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Override to start without the database file.
    virtual bool withDatabase() const { return true; }
    // Override for a desktop that shows no tray icons.
    virtual bool withNotificationArea() const { return true; }

    app::TForm1& main() { return program_->main(); }
    access::TForm2& login() { return program_->login(); }
    const QString& appDir() const { return appDir_; }
    // Logs in with the default management password, as the user would after the gate.
    void logIn(const QString& password = QStringLiteral("vorel"));

    ScopedScriptedDialogs dialogs;

private:
    QTemporaryDir directory_;
    QString appDir_;
    std::unique_ptr<app::Program> program_;
};

}  // namespace tessavo::test
