#pragma once
// The page area of a browser window on Linux, as the browser tells it to
// assistive technology over AT-SPI (see page_search.h for how the page is
// found, accessibility_bus.h for the bus). The page's size is its
// innerWidth x innerHeight, with the frame around it, in the pixels the
// browser tells them in.
//
// Firefox on X11 comes onto the accessibility bus once the desktop's
// accessibility is on: where this reader may (on X11), it switches it on
// while it lives (accessibility_switch.h). On Wayland nothing is switched:
// Firefox must be started with accessibility on (GNOME_ACCESSIBILITY=1).
// Chromium-based browsers show the page only when started with
// --force-renderer-accessibility. Where the page cannot be learnt the
// reading says why and what the user can do.

#include "page_area.h"

#include <memory>
#include <optional>
#include <string>

namespace quenlow {

namespace atspi {
class accessibility_bus;
class accessibility_switch;
}  // namespace atspi

class atspi_page_area final : public page_area_reader {
public:
    // `may_switch_accessibility`: on X11, where switching helps.
    explicit atspi_page_area(bool may_switch_accessibility);
    ~atspi_page_area() override;
    atspi_page_area(const atspi_page_area&) = delete;
    atspi_page_area& operator=(const atspi_page_area&) = delete;

    page_reading read(const page_window& window, clock::time_point deadline) override;

private:
    page_reading find_document(const page_window& window, clock::time_point deadline);

    bool may_switch_;
    std::string unreachable_;  // why the bus could not be reached, once tried
    std::unique_ptr<atspi::accessibility_bus> bus_;
    std::unique_ptr<atspi::accessibility_switch> switch_;
    // The frame and document last found, asked directly while they answer.
    struct document {
        window_handle window = no_window;
        std::string frame_owner, frame_path, owner, path;
    };
    std::optional<document> document_;
};

}  // namespace quenlow
