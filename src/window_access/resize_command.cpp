#include "resize_command.h"

namespace quenlow {

window_size chosen_size(const std::array<bool, size_presets.size()>& selected)
{
    for (std::size_t i = 0; i < size_presets.size(); ++i) {
        if (selected[i]) return {size_presets[i].width, size_presets[i].height};
    }
    return {};
}

placement_result resize_window(window_system& windows, window_handle window, window_size size)
{
    windows.restore_window(window);
    return windows.place_window(window, size.width, size.height);
}

window_handle resize_window_titled(window_system& windows, std::string_view title,
                                   window_size size)
{
    if (title.empty()) return no_window;
    const window_handle window = windows.find_window(title);
    if (window == no_window) return no_window;
    resize_window(windows, window, size);
    return window;
}

}  // namespace quenlow
