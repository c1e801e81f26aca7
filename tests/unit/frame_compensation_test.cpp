#include "frame_compensation.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

TEST(FrameCompensation, InvisibleBordersWidenTheRequest)
{
    // Windows 10: 7 px invisible borders left, right and bottom, none on top.
    const screen_rect window{100, 50, 914, 657};
    const screen_rect visible{107, 50, 907, 650};
    EXPECT_EQ(compensated_request(window, visible, 800, 600), (window_request{-7, 0, 814, 607}));
}

TEST(FrameCompensation, NothingReportedMeansExactlyTheAskedRectangle)
{
    const screen_rect window{-3, 20, 400, 300};
    EXPECT_EQ(compensated_request(window, window, 1024, 768), (window_request{0, 0, 1024, 768}));
}

TEST(FrameCompensation, BoundsLargerThanTheWindowAreIgnored)
{
    const screen_rect window{100, 100, 500, 400};
    const screen_rect nonsense{90, 95, 510, 420};
    EXPECT_EQ(compensated_request(window, nonsense, 640, 480), (window_request{0, 0, 640, 480}));
}

}  // namespace
}  // namespace quenlow
