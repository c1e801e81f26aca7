// The program's refresh as a whole process: connects to $DISPLAY, lists the
// browser windows through the X11 backend exactly as "Update List" does, and
// prints how many it listed.
#include "browser_list.h"
#include "x11_window_system.h"

#include <cstdio>
#include <string>

namespace {
struct counting_list final : quenlow::window_list_sink {
    std::size_t count = 0;
    void clear() override { count = 0; }
    void add_item(const std::string&) override { ++count; }
    std::string item(std::size_t) const override { return {}; }
    void set_text(const std::string&) override {}
};
}  // namespace

int main()
{
    const auto windows = quenlow::x11_window_system::connect();
    if (!windows) {
        std::fprintf(stderr, "no X server\n");
        return 1;
    }
    counting_list list;
    quenlow::refresh_browser_list(*windows, list);
    std::printf("%zu\n", list.count);
    return 0;
}
