#pragma once
// The arithmetic of placing an X11 window so that what the user sees of it
// (the manager's frame included, the client's own shadow margins left out)
// is exactly (0, 0, width, height), within the sizes its hints allow.
//
// Every number here comes from another client's properties, which may say
// anything: values are clamped to what a screen can hold, so no input makes
// the arithmetic overflow or the request fall outside X's 16-bit geometry.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quenlow {

// Margins around the client area: the manager's frame (_NET_FRAME_EXTENTS)
// or the client's invisible shadow (_GTK_FRAME_EXTENTS).
struct extents {
    int left = 0, right = 0, top = 0, bottom = 0;
    friend bool operator==(const extents&, const extents&) = default;
};

// No real frame or shadow is wider than this.
inline constexpr int max_margin = 4096;
// The largest size and offset an X request carries (INT16 coordinates).
inline constexpr int max_x_size = 32767;

// The four values of an extents property (left, right, top, bottom); none
// when there are fewer.
inline extents extents_from(const std::vector<std::uint32_t>& values)
{
    if (values.size() < 4) return {};
    const auto margin = [](std::uint32_t v) { return static_cast<int>(std::min<std::uint32_t>(v, max_margin)); };
    return {margin(values[0]), margin(values[1]), margin(values[2]), margin(values[3])};
}

// WM_NORMAL_HINTS, as far as sizing goes.
struct size_hints {
    int min_width = 0, min_height = 0, max_width = 0, max_height = 0;
    int width_inc = 1, height_inc = 1, base_width = 0, base_height = 0;
    // StaticGravity: a configure request places the client area itself,
    // not the frame around it.
    bool static_gravity = false;
};

inline size_hints size_hints_from(const std::vector<std::uint32_t>& v)
{
    constexpr std::uint32_t p_min_size = 16, p_max_size = 32, p_resize_inc = 64, p_base_size = 256,
                            p_win_gravity = 512, static_gravity = 10;
    size_hints hints;
    if (v.size() < 17) return hints;
    hints.static_gravity = (v[0] & p_win_gravity) && v.size() > 17 && v[17] == static_gravity;
    const std::uint32_t flags = v[0];
    // The fields are signed 32-bit; a negative one means nothing usable.
    const auto value = [&](std::size_t i) {
        return static_cast<int>(v[i] > 0x7FFFFFFFu ? 0u : std::min<std::uint32_t>(v[i], max_x_size));
    };
    const bool has_min = flags & p_min_size;
    const bool has_base = flags & p_base_size;
    if (has_min) { hints.min_width = value(5); hints.min_height = value(6); }
    if (flags & p_max_size) { hints.max_width = value(7); hints.max_height = value(8); }
    if (flags & p_resize_inc) { hints.width_inc = std::max(value(9), 1); hints.height_inc = std::max(value(10), 1); }
    if (has_base) { hints.base_width = value(15); hints.base_height = value(16); }
    // ICCCM: each of base and minimum stands in for the other when absent.
    if (!has_base && has_min) { hints.base_width = hints.min_width; hints.base_height = hints.min_height; }
    if (!has_min && has_base) { hints.min_width = hints.base_width; hints.min_height = hints.base_height; }
    return hints;
}

// The size closest to `wanted` that the hints allow (minimum, maximum,
// base size and increments, as ICCCM defines them); at least 1.
inline int nearest_allowed(int wanted, int min, int max, int base, int increment)
{
    int size = wanted;
    if (max > 0) size = std::min(size, max);
    size = std::max(size, min);
    if (increment > 1) {
        const int steps = (size - base + increment / 2) / increment;
        size = base + std::max(steps, 0) * increment;
        if (size < min) size += increment;
        if (max > 0 && size > max) size -= increment;
    }
    return std::clamp(size, 1, max_x_size);
}

// Where the client window goes and how large it is.
struct client_request {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const client_request&, const client_request&) = default;
};

// The client geometry that makes the visible outer rectangle (0, 0, width,
// height): the manager adds `frame` around the client, and `shadow` is the
// part of the client nobody sees. The position is the outer one the manager
// takes with north-west gravity (or the client's own, with no manager and
// no frame).
inline client_request placement_for(int width, int height, const extents& frame, const extents& shadow,
                                    const size_hints& hints)
{
    width = std::clamp(width, 1, max_x_size);
    height = std::clamp(height, 1, max_x_size);
    return {-shadow.left, -shadow.top,
            nearest_allowed(width - frame.left - frame.right + shadow.left + shadow.right, hints.min_width,
                            hints.max_width, hints.base_width, hints.width_inc),
            nearest_allowed(height - frame.top - frame.bottom + shadow.top + shadow.bottom, hints.min_height,
                            hints.max_height, hints.base_height, hints.height_inc)};
}

// The position to put in a plain configure request for the client, where
// the manager does not take _NET_MOVERESIZE_WINDOW: as the request's outer
// position, unless the client's gravity makes the manager read it as the
// client area's own.
inline client_request configure_request_for(client_request request, const extents& frame, const size_hints& hints)
{
    if (hints.static_gravity) {
        request.x += frame.left;
        request.y += frame.top;
    }
    return request;
}

}  // namespace quenlow
