#pragma once
// Where each control of a window sits and what kind it is: the one layout
// both front-ends build their windows from. Positions are pixels at 96 dots
// per inch, relative to the client area or to the enclosing frame; a
// front-end scales them by the display's dots per inch.

#include "window_toolkit.h"

#include <optional>
#include <span>

namespace quenlow {

enum class control_kind { frame, option_button, check_box, command_button, label, link_label, image, picture_box, list_box };

// The pictures a control shows; each front-end keeps them its own way.
enum class picture { none, banner, program_icon };

struct pixel_rect {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const pixel_rect&, const pixel_rect&) = default;
};

struct control_layout {
    control id;
    const char* name;
    control_kind kind;
    std::optional<control> frame;  // the frame it sits in, if any
    pixel_rect at;
    int tab_index = -1;             // -1: not a tab stop
    const char* caption = "";       // fixed text; captions the logic sets start empty
    picture shows = picture::none;  // image and picture box; the hand pointer goes with image and link_label
    bool default_and_cancel = false;  // pressed by Enter and by Esc
};

// A line drawn on the window itself (the About box's etched separator),
// clipped at the window's edge.
struct drawn_line {
    unsigned char red, green, blue;
    int width;
    int x1, y1, x2, y2;
};

struct form_layout {
    const char* name;
    int client_width, client_height;
    // A small fixed tool window without a taskbar button, centred and on top
    // (the About box); otherwise a sizable window with a minimise box only.
    bool tool_window;
    const char* fixed_caption;  // "" when the logic sets it
    std::span<const control_layout> controls;
    std::span<const drawn_line> lines;  // in drawing order
};

const form_layout& main_window_layout();

// The layout entry of `which`; every control has one.
const control_layout& layout_of(const form_layout& form, control which);

}  // namespace quenlow
