// Refresh and Change Size on a Wayland desktop, through the window system
// the program picks there (KWin's scripting, the GNOME Shell extension),
// run inside a session with windows already open (bench/kwin.sh and
// bench/gnome.sh set that up). Prints the median and the 90th percentile
// of each, in ms.
//   bench_wayland TITLE ROUNDS
#include "browser_list.h"
#include "resize_command.h"
#include "window_system_for_platform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct counting_sink final : quenlow::window_list_sink {
    void clear() override { items = 0; }
    void add_item(const std::string&) override { ++items; }
    std::string item(std::size_t) const override { return {}; }
    void set_text(const std::string&) override {}
    std::size_t items = 0;
};

void report(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%s: median %.2f ms, 90th percentile %.2f ms over %zu rounds\n", what, ms[ms.size() / 2],
                ms[ms.size() * 9 / 10], ms.size());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) return 2;
    const auto windows = quenlow::window_system_for_platform("wayland");
    const int rounds = std::atoi(argv[2]);
    std::vector<double> refresh, change_size;
    std::size_t listed = 0;
    for (int i = 0; i < rounds; ++i) {
        counting_sink list;
        const auto start = std::chrono::steady_clock::now();
        quenlow::refresh_browser_list(*windows, list);
        refresh.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        listed = list.items;
    }
    for (int i = 0; i < rounds; ++i) {
        const quenlow::window_size size = i % 2 ? quenlow::window_size{800, 600} : quenlow::window_size{640, 480};
        const auto start = std::chrono::steady_clock::now();
        if (quenlow::resize_window_titled(*windows, argv[1], size) == quenlow::no_window) return 1;
        change_size.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::printf("browsers listed: %zu\n", listed);
    report("refresh", refresh);
    report("Change Size", change_size);
    return 0;
}
