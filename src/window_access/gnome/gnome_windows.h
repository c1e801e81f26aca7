#pragma once
// The windows the extension's List call describes, read from its JSON.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quenlow {

// A rectangle in GNOME's logical pixels.
struct gnome_rect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const gnome_rect&, const gnome_rect&) = default;
};

struct gnome_window {
    std::uint64_t id = 0;
    std::string title;
    std::int64_t pid = 0;
    gnome_rect frame;
    bool focus = false;
};

// The windows of a List answer, in its order (top of the stacking order
// first). Nothing for an answer that is not a JSON array; entries without a
// non-zero id are skipped, and a field of the wrong type reads as empty.
std::vector<gnome_window> parse_gnome_window_list(std::string_view json);

}  // namespace quenlow
