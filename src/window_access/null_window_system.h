#pragma once
// A desktop the program cannot reach (Wayland without XWayland, the offscreen
// platform): it lists no window, finds none and changes nothing, so the rest
// of the program runs unchanged with an empty list, and it says what was
// looked for, so the command line can tell the user.

#include "window_system.h"

#include <string>
#include <utility>

namespace quenlow {

class null_window_system final : public window_system {
public:
    explicit null_window_system(std::string sought) : sought_(std::move(sought)) {}
    std::string unreachable() const override { return sought_; }
    void enum_windows(const window_visitor&) override {}
    std::size_t window_text_length(window_handle) override { return 0; }
    std::size_t window_text(window_handle, char* buffer, std::size_t capacity) override
    {
        return copy_window_text({}, buffer, capacity);
    }
    window_handle find_window(std::string_view) override { return no_window; }
    window_handle active_window() override { return no_window; }
    void restore_window(window_handle) override {}
    placement_result place_window(window_handle, int, int) override { return {}; }
    void set_topmost(window_handle, bool) override {}
    void hide_from_taskbar(window_handle) override {}

private:
    std::string sought_;
};

}  // namespace quenlow
