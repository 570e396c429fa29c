// The command line: a fill request is read strictly, anything else starts the program as before.
#include <gtest/gtest.h>

#include <QStringList>

#include "app/LaunchRequest.h"
#include "tests/support/QtPrinters.h"

namespace tessavo::app {
namespace {

struct LaunchCase {
    QStringList arguments;
    Launch launch;
};

TEST(LaunchRequest, TheCommandLineTellsWhatToDo) {
    const LaunchCase cases[] = {
        {{}, Launch::Program},
        {{"-style", "fusion"}, Launch::Program},  // ignored, as ever
        {{"--fill", "account"}, Launch::FillAccount},
        {{"--fill", "password"}, Launch::FillPassword},
        {{"--fill=password"}, Launch::FillPassword},
        {{"--fill=account"}, Launch::FillAccount},
        {{"--fill"}, Launch::BadUsage},
        {{"--fill", "foo"}, Launch::BadUsage},
        {{"--fill", ""}, Launch::BadUsage},
        {{"--fill", "Password"}, Launch::BadUsage},
        {{"--fill", "password", "account"}, Launch::BadUsage},
        {{"--fill", "password", "--fill", "password"}, Launch::BadUsage},
        {{"password", "--fill"}, Launch::BadUsage},
        {{"-x", "--fill", "password"}, Launch::BadUsage},
        {{"--fill="}, Launch::BadUsage},
        {{"--fill=password", "x"}, Launch::BadUsage},
        {{"--fill=password=account"}, Launch::BadUsage},
    };
    for (const LaunchCase& c : cases) {
        EXPECT_EQ(launchOf(c.arguments), c.launch) << c.arguments.join(u' ').toStdString();
    }
}

TEST(LaunchRequest, OnlyFillsBecomeRequestsToTheRunningInstance) {
    EXPECT_EQ(fillCommandOf(Launch::FillAccount), platform::InstanceCommand::FillAccount);
    EXPECT_EQ(fillCommandOf(Launch::FillPassword), platform::InstanceCommand::FillPassword);
    EXPECT_FALSE(fillCommandOf(Launch::Program).has_value());
    EXPECT_FALSE(fillCommandOf(Launch::BadUsage).has_value());
}

}  // namespace
}  // namespace tessavo::app
