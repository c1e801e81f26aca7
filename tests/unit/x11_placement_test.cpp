// Placement arithmetic for X11 windows where it is more than a sum: size
// hints, and properties that lie. Frames and shadows are checked on a real
// server in the x11 tier.
#include "x11_placement.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

TEST(X11Placement, SizeHintsGiveTheNearestAllowedSize)
{
    size_hints terminal;  // 7 x 13 cells over a 4-px base
    terminal.width_inc = 7;
    terminal.height_inc = 13;
    terminal.base_width = terminal.base_height = 4;
    const client_request cells = placement_for(800, 600, {}, {}, terminal);
    EXPECT_EQ((cells.width - 4) % 7, 0);
    EXPECT_LE(std::abs(cells.width - 800), 3);
    EXPECT_EQ((cells.height - 4) % 13, 0);
    EXPECT_LE(std::abs(cells.height - 600), 6);

    size_hints bounded;
    bounded.min_width = 900;
    bounded.max_height = 500;
    EXPECT_EQ(placement_for(800, 600, {}, {}, bounded), (client_request{0, 0, 900, 500}));
    // A frame wider than the preset still leaves a window to see.
    EXPECT_EQ(placement_for(640, 480, {700, 0, 0, 0}, {}, {}).width, 1);
}

TEST(X11Placement, HostilePropertiesAreClampedToAScreensWorth)
{
    const extents huge = extents_from({0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 5});
    EXPECT_EQ(huge, (extents{max_margin, max_margin, max_margin, 5}));
    EXPECT_EQ(extents_from({1, 2, 3}), extents{});  // too short: nothing

    const client_request request = placement_for(1280, 1024, {}, huge, {});
    EXPECT_GE(request.x, -max_x_size);
    EXPECT_LE(request.width, max_x_size);
    EXPECT_LE(request.height, max_x_size);

    std::vector<std::uint32_t> hints(18, 0);
    hints[0] = 16 | 32 | 64 | 256;          // minimum, maximum, increments, base
    hints[5] = hints[6] = 0xFFFFFFF0u;       // a negative minimum
    hints[7] = hints[8] = 0x7FFFFFFFu;       // a maximum past any screen
    hints[9] = hints[10] = 0x7FFFFFFFu;      // an increment past any screen
    hints[15] = hints[16] = 0x80000000u;     // a negative base
    const client_request lied_to = placement_for(800, 600, {}, {}, size_hints_from(hints));
    EXPECT_GE(lied_to.width, 1);
    EXPECT_LE(lied_to.width, max_x_size);
    EXPECT_GE(lied_to.height, 1);
    EXPECT_LE(lied_to.height, max_x_size);
}

}  // namespace
}  // namespace quenlow
