#include "browser_list.h"

#include <array>
#include <vector>

namespace quenlow {

namespace {
constexpr std::array<std::string_view, 2> browser_markers{
    "Microsoft Internet Explorer", "Netscape"};
}

bool is_browser_title(std::string_view title)
{
    for (std::string_view marker : browser_markers) {
        if (title.find(marker) != std::string_view::npos) return true;
    }
    return false;
}

std::string read_window_title(window_system& windows, window_handle window)
{
    const std::size_t length = windows.window_text_length(window);
    if (length == 0) return {};
    std::vector<char> buffer(length + 1, '\0');
    std::size_t copied = windows.window_text(window, buffer.data(), buffer.size());
    if (copied > length) copied = length;  // a backend must not overrun; never trust it to
    return std::string(buffer.data(), copied);
}

bool list_browser_window(window_system& windows, window_list_sink& list,
                         window_handle window)
{
    const std::string title = read_window_title(windows, window);
    if (!title.empty() && is_browser_title(title)) list.add_item(title);
    return true;
}

void refresh_browser_list(window_system& windows, window_list_sink& list)
{
    list.clear();
    windows.enum_windows([&](window_handle window) {
        return list_browser_window(windows, list, window);
    });
    list.set_text(list.item(0));
}

}  // namespace quenlow
