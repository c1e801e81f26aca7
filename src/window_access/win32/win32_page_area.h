#pragma once
// The page area of a browser window on Windows, in device pixels.
// Chrome, Edge and the other Chromium browsers draw the page in a child
// window of class Chrome_RenderWidgetHostHWND the size of the page area:
// its rectangle is read, with no accessibility needed. Any other browser
// (Firefox) is asked through accessibility (MSAA, which Firefox serves
// natively and UI Automation builds on) for the rectangle of its visible
// document; Firefox starts its accessibility at that first question.

#include "page_area.h"

namespace quenlow {

class win32_page_area final : public page_area_reader {
public:
    page_reading read(const page_window& window) override;
};

}  // namespace quenlow
