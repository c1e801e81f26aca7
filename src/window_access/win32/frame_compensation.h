#pragma once
// On Windows 10 and later a window's rectangle includes invisible resize
// borders around the frame the user sees. To put the visible frame at the
// origin with the preset size, the request is widened by the difference
// between the window rectangle and the visible (extended frame) bounds.
// Plain arithmetic, so it is tested on every platform.

namespace quenlow {

struct screen_rect {
    long left = 0, top = 0, right = 0, bottom = 0;
};

struct window_request {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const window_request&, const window_request&) = default;
};

// The position and size to ask for so that the visible frame lands at
// (0, 0) with `width` x `height`. `visible` is the extended frame bounds, or
// nothing known (then pass `window` for both): the request is exactly
// (0, 0, width, height). Borders are taken as non-negative, since a visible
// frame larger than the window rectangle means the bounds are not usable.
constexpr window_request compensated_request(const screen_rect& window, const screen_rect& visible, int width,
                                             int height)
{
    const auto inset = [](long outer, long inner) { return inner > outer ? int(inner - outer) : 0; };
    const int left = inset(window.left, visible.left);
    const int top = inset(window.top, visible.top);
    const int right = inset(visible.right, window.right);
    const int bottom = inset(visible.bottom, window.bottom);
    return {-left, -top, width + left + right, height + top + bottom};
}

}  // namespace quenlow
