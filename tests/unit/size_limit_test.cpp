#include "size_limit.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

TEST(SizeLimit, HeightSpringsTo3840FromTheThresholdUp)
{
    EXPECT_EQ(limited_outer_size({4000, 3674}).height, 3674);
    EXPECT_EQ(limited_outer_size({4000, 3675}).height, 3840);
    EXPECT_EQ(limited_outer_size({4000, 3705}).height, 3840);  // the initial height with a title bar
    EXPECT_EQ(limited_outer_size({4000, 3840}).height, 3840);
    EXPECT_EQ(limited_outer_size({4000, 9000}).height, 3840);
    EXPECT_EQ(limited_outer_size({4000, 1500}).height, 1500);
}

TEST(SizeLimit, WidthIsCappedAt4950)
{
    EXPECT_EQ(limited_outer_size({4949, 3000}).width, 4949);
    EXPECT_EQ(limited_outer_size({4950, 3000}).width, 4950);
    EXPECT_EQ(limited_outer_size({7000, 3000}).width, 4950);
    EXPECT_EQ(limited_outer_size({300, 3000}).width, 300);
}

TEST(SizeLimit, SizesAtTheLimitsAreStable)
{
    const twips_size limit{4950, 3840};
    EXPECT_EQ(limited_outer_size(limit), limit);
    EXPECT_EQ(limited_outer_size(limited_outer_size({6000, 5000})), limit);
}

}  // namespace
}  // namespace quenlow
