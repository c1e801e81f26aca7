#pragma once
// The frame of a top-level window as the user sees it. On Windows 10 and
// later a window's rectangle includes invisible resize borders, which
// DWM's extended frame bounds leave out. place_window sizes this frame and
// the page reader tells it, so that the two agree on what a browser's bars
// take around its page. Both are device pixels: the program is per-monitor
// DPI aware, so neither rectangle is scaled for it.

#include "frame_compensation.h"

#include <windows.h>
#include <dwmapi.h>

namespace quenlow {

// The visible frame from DWM, where it reports one (Windows Vista and
// later with composition); `window` (the window rectangle) otherwise.
inline screen_rect visible_bounds(HWND hwnd, const RECT& window)
{
    RECT frame{};
    if (SUCCEEDED(DwmGetWindowAttribute(hwnd, DWMWA_EXTENDED_FRAME_BOUNDS, &frame, sizeof frame))) {
        return {frame.left, frame.top, frame.right, frame.bottom};
    }
    return {window.left, window.top, window.right, window.bottom};
}

}  // namespace quenlow
