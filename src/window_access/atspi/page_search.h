#pragma once
// Finds a browser window's page on the accessibility bus: the browser's
// application (by its process, else by a frame named like the window), the
// frame of that window (by its title, and among frames of one title by its
// place on the screen), and in it the document the frame embeds: the
// active tab's page, never docked developer tools, a side panel or
// picture-in-picture. Every step asks only until the bus's deadline.

#include "accessibility_bus.h"
#include "window_system.h"

#include <optional>
#include <string>

namespace quenlow::atspi {

std::optional<object_ref> application_of_process(accessibility_bus& bus, std::uint32_t pid);
std::optional<object_ref> application_showing(accessibility_bus& bus, const std::string& title);

struct frame_found {
    object_ref frame;
    extents where;  // 0 x 0 when the frame does not tell
};

// The frame of the window titled `title` whose client rectangle is
// `client` (unknown where the window system does not tell): by its title,
// the one nearest `client` among several; else the only frame, the only one
// with a name (Chromium keeps nameless frames of its own, and may keep a
// frame's name from before the page changed its title), the one at
// `client`, or the active one.
std::optional<frame_found> frame_of(accessibility_bus& bus, const object_ref& application, const std::string& title,
                                    const window_rect& client);

struct page_found {
    object_ref document;
    extents where;
};

// The page `frame` shows: the document its EMBEDS relation names; where the
// browser sets none, the first showing document below it (breadth first).
// Nothing when none shows with a size.
std::optional<page_found> page_of(accessibility_bus& bus, const object_ref& frame);

}  // namespace quenlow::atspi
