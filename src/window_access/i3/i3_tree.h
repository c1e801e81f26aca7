#pragma once
// What i3 and sway say over their IPC, read with nlohmann-json (through
// json_reader): the windows
// of a GET_TREE reply and the outcome of a RUN_COMMAND. A field that is
// missing or of another type reads as empty or zero; a reply that is not
// JSON gives nothing.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quenlow {

struct i3_rect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const i3_rect&, const i3_rect&) = default;
};

// A window (a view: a leaf container that holds a client).
struct i3_view {
    std::int64_t id = 0;        // con_id
    std::string name;           // its title
    i3_rect rect;               // on the screen: i3's with title bar and border, sway's below its title bar
    i3_rect window_rect;        // the client, relative to rect
    i3_rect deco_rect;          // the title bar
    int fullscreen_mode = 0;    // 0 none, 1 workspace, 2 global
    bool floating = false;
    bool focused = false;
    bool sticky = false;
    bool in_scratchpad = false;  // on the hidden workspace "__i3_scratch"
    std::int64_t pid = 0;         // sway's; i3 does not say
    std::int64_t x11_window = 0;  // the X11 window's id; 0 for a Wayland one
};

// The rectangle a user sees: the window with its border and title bar.
// i3 counts the title bar into `rect`; sway 1.7 draws it above `rect`,
// where the client's place in `rect` leaves no room for it.
i3_rect visible_rect(const i3_view& view);

// Every window of the tree, most recently focused first (each container's
// children in the order of its focus list), hidden scratchpad windows
// included. Titles that are not UTF-8 are read as Latin-1.
std::vector<i3_view> i3_views(std::string_view tree);

// Whether a RUN_COMMAND reply says every command succeeded.
bool i3_command_succeeded(std::string_view reply);

}  // namespace quenlow
