#pragma once
// The page area of a browser window on Linux, as the browser tells it to
// assistive technology over AT-SPI: the accessibility bus (whose address
// org.a11y.Bus gives on the session bus) carries each application's tree;
// the browser's is the one whose connection belongs to the window's
// process (else, where the window system does not tell the process or a
// sandbox numbers it otherwise, the one showing a frame by the window's
// title), and its page is the showing "document web" in the frame that
// bears the window's title. That document's size is the page's innerWidth x
// innerHeight, in the display's pixels, on X11 and Wayland alike.
//
// Firefox on X11 comes onto that bus once the desktop's accessibility is
// on: where it is off, the reader switches it on for as long as it lives,
// and back off after. On Wayland Firefox must be started with
// accessibility on (GNOME_ACCESSIBILITY=1). Firefox builds its tree at the
// first outside question. Chromium-based browsers show the page only when
// started with --force-renderer-accessibility. Where the page cannot be
// learnt the reading says why and what the user can do.
//
// Every call is bounded (see the .cpp); a browser that went away, or a
// tree that lies, is a reading that was not found.

#include "page_area.h"

#include <memory>
#include <optional>
#include <string>

namespace quenlow {

class atspi_page_area final : public page_area_reader {
public:
    atspi_page_area();
    ~atspi_page_area() override;
    atspi_page_area(const atspi_page_area&) = delete;
    atspi_page_area& operator=(const atspi_page_area&) = delete;

    page_reading read(const page_window& window) override;

    struct bus;  // sd-bus state; defined in the .cpp

private:
    // The accessibility bus, connected at the first need; "" when it is
    // there, else why not.
    std::string reach_accessibility_bus();
    // The page's document for `window`, found afresh.
    page_reading find_document(const page_window& window);

    std::unique_ptr<bus> bus_;
    // Whether this reader switched the desktop's accessibility on, to switch
    // it off again when it goes.
    bool switched_on_ = false;
    // The document last found, asked directly while it still answers.
    struct document {
        window_handle window = no_window;
        std::string owner, path;
    };
    std::optional<document> document_;
};

}  // namespace quenlow
