// The hardened process opened to the desktop portal's look at /proc for a while: readable while a
// scope lasts, closed again after the last overlapping one, and never closed where nothing was.
#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <optional>

#include "platform/process/Hardening.h"

using tessavo::platform::ReadableToTheDesktop;

namespace {

bool dumpable() { return prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 1; }

// The test process is dumpable again afterwards, whatever the test did.
class ReadableToTheDesktopTest : public ::testing::Test {
protected:
    void TearDown() override { prctl(PR_SET_DUMPABLE, 1, 0, 0, 0); }
};

TEST_F(ReadableToTheDesktopTest, AHardenedProcessIsReadableUntilTheLastOverlappingScopeEnds) {
    ASSERT_EQ(prctl(PR_SET_DUMPABLE, 0, 0, 0, 0), 0);
    std::optional<ReadableToTheDesktop> first(std::in_place);
    EXPECT_TRUE(dumpable());
    std::optional<ReadableToTheDesktop> second(std::in_place);
    first.reset();
    EXPECT_TRUE(dumpable()) << "closed while a later scope still needs it";
    second.reset();
    EXPECT_FALSE(dumpable());
}

TEST_F(ReadableToTheDesktopTest, AProcessThatWasNeverHardenedIsLeftAsItIs) {
    ASSERT_TRUE(dumpable());
    { const ReadableToTheDesktop scope; }
    EXPECT_TRUE(dumpable());
}

}  // namespace
