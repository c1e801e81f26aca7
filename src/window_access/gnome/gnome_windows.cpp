#include "gnome_windows.h"

#include "json_reader.h"

namespace quenlow {

std::vector<gnome_window> parse_gnome_window_list(std::string_view json)
{
    std::vector<gnome_window> windows;
    const auto list = read_json(json);
    if (!list.is_array()) return windows;
    for (const auto& entry : list) {
        gnome_window window;
        window.id = json_unsigned(entry, "id");
        if (window.id == 0) continue;
        window.title = json_string(entry, "title");
        window.pid = json_integer(entry, "pid");
        const auto side = [&](const char* key) { return static_cast<int>(json_integer(entry, key)); };
        window.frame = {side("x"), side("y"), side("w"), side("h")};
        window.focus = json_bool(entry, "focus");
        windows.push_back(std::move(window));
    }
    return windows;
}

}  // namespace quenlow
