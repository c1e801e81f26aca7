// A desktop of arbitrary titles (one per line of the input): the refreshed
// list holds exactly the titles the rule accepts, whole and in order, and
// selects the first; nothing in a title makes the walk crash or drop one.
#include "browser_list.h"
#include "fake_window_system.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
struct list final : quenlow::window_list_sink {
    std::vector<std::string> items;
    std::string selected;
    void clear() override { items.clear(); }
    void add_item(const std::string& title) override { items.push_back(title); }
    std::string item(std::size_t i) const override { return i < items.size() ? items[i] : std::string(); }
    void set_text(const std::string& text) override { selected = text; }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    quenlow::fake_window_system desktop;
    std::vector<std::string> titles;  // top of the stack first
    std::size_t start = 0;
    while (start <= input.size() && titles.size() < 64) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        titles.insert(titles.begin(), input.substr(start, end - start));
        desktop.open_window(titles.front());
        start = end + 1;
    }
    list sink;
    quenlow::refresh_browser_list(desktop, sink);
    std::vector<std::string> expected;
    for (const std::string& title : titles) {
        if (quenlow::is_browser_title(title)) expected.push_back(title);
    }
    if (sink.items != expected) std::abort();
    if (sink.selected != (expected.empty() ? std::string() : expected.front())) std::abort();
    return 0;
}
