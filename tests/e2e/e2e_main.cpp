#include <gtest/gtest.h>

// The end-to-end tier: each suite starts the X server it needs (tests/support/XvfbServer.h).
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
