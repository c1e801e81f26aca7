#pragma once
// Waits until a window's visible rectangle, read from the server, is the
// one expected; says what it was instead when it never is.

#include "eventually.h"
#include "x_test_client.h"

#include <gtest/gtest.h>

namespace quenlow::testing {

inline ::testing::AssertionResult lands_at(x_test_client& client, xcb_window_t window, x_rect expected)
{
    x_rect seen;
    if (eventually([&] { return (seen = client.visible_rect(window)) == expected; })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "visible rect " << to_string(seen) << ", wanted " << to_string(expected);
}

}  // namespace quenlow::testing
