// Reading the desktop's Xft.dpi from the resource database xrdb keeps.
#include "display_scale.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

TEST(XftDpi, ReadsTheEntryAmongOthersAndFallsBackTo96)
{
    EXPECT_EQ(xft_dpi("Xft.dpi:\t144\n"), 144.0);
    EXPECT_EQ(xft_dpi("Xcursor.size:\t24\nXft.antialias:\t1\nXft.dpi:\t120.5\nXft.hinting:\t1\n"), 120.5);
    EXPECT_EQ(xft_dpi("  Xft.dpi :  192  \r\n"), 192.0);
    EXPECT_EQ(xft_dpi("Xft.dpi:\t100\nXft.dpi:\t144"), 144.0);  // the last entry wins

    for (const char* without : {"", "\n\n", "Xcursor.size:\t24\n", "!Xft.dpi:\t144\n", "Xft.dpix:\t144\n",
                                "Emacs.Xft.dpi:\t144\n", "Xft.dpi\n", "xft.dpi:\t144\n"}) {
        EXPECT_EQ(xft_dpi(without), 96.0) << without;
    }
    for (const char* unreadable : {"Xft.dpi:", "Xft.dpi:\tabc", "Xft.dpi:\t144px", "Xft.dpi:\t-144",
                                   "Xft.dpi:\t0", "Xft.dpi:\t1e309", "Xft.dpi:\tnan", "Xft.dpi:\t100000",
                                   "Xft.dpi:\t144\nXft.dpi:\tbroken"}) {
        EXPECT_EQ(xft_dpi(unreadable), 96.0) << unreadable;
    }
}

}  // namespace
}  // namespace quenlow
