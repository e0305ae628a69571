#include "ui/window_size.h"

#include <gtest/gtest.h>

namespace {

TEST(SplashWindowSize, FollowsTheBitmapAndTheMetrics) {
    WindowSize size = SplashWindowSize(500, 340, 1, 18);
    EXPECT_EQ(502, size.width);
    EXPECT_EQ(361, size.height);
    size = SplashWindowSize(64, 32, 2, 25);
    EXPECT_EQ(68, size.width);
    EXPECT_EQ(63, size.height);
}

} // namespace
