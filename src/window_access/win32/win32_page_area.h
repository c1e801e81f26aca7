#pragma once
// The page area of a browser window on Windows, in device pixels, with
// the window's visible frame (what place_window sizes) in the same pixels.
//
// Chrome, Edge and the other Chromium browsers draw each page in a child
// window of class Chrome_RenderWidgetHostHWND the size of its page area:
// its rectangle is read, with no accessibility needed while there is one.
// Docked developer tools (or a side panel) are a second such window, and
// may be the larger: then each is asked through accessibility (MSAA) what
// its page is called, and the page is the one the window is titled after.
// Any other browser (Firefox) is asked through accessibility for the
// rectangle of its visible document; Firefox starts its accessibility at
// that first question.
//
// Accessibility is asked on a thread of its own, waited for only until the
// deadline: a browser that has stopped answering leaves that thread behind
// (it ends when the browser answers or goes) and the reading says which
// question ran out of time.

#include "page_area.h"

namespace quenlow {

class win32_page_area final : public page_area_reader {
public:
    page_reading read(const page_window& window, clock::time_point deadline) override;
};

}  // namespace quenlow
