#include "browser_list.h"

#include <utility>
#include <vector>

namespace quenlow {

namespace {
// The browsers of 2003 put their name anywhere in a window's title.
constexpr std::string_view browser_markers[]{
    "Microsoft Internet Explorer", "Netscape"};

// Today's browsers end every window title with their own name, after the
// page's title and a separator ("Example Domain — Mozilla Firefox"), or show
// the name alone for an empty page. One line a browser.
constexpr std::string_view browser_title_endings[]{
    "Mozilla Firefox",  // release, ESR, Beta; localised private windows too
    "Mozilla Firefox Private Browsing",
    "Firefox Developer Edition", "Firefox Developer Edition Private Browsing",
    "Firefox Nightly", "Firefox Nightly Private Browsing",
    "Google Chrome",
    "Chromium",
    "Microsoft\xE2\x80\x8B Edge", "Microsoft Edge",  // U+200B (UTF-8) after "Microsoft"
    "Brave",
    "Opera",
    "Vivaldi",
    "Internet Explorer",  // 7 to 11: "Windows Internet Explorer", "Internet Explorer"
};

// True when `title` is `name`, or ends with a space and `name`: "Chromium"
// ends "Page - Chromium" but not "Page-Chromium" or "Non-Chromium".
bool ends_with_browser_name(std::string_view title, std::string_view name)
{
    if (!title.ends_with(name)) return false;
    return title.size() == name.size() || title[title.size() - name.size() - 1] == ' ';
}
}  // namespace

bool is_browser_title(std::string_view title)
{
    for (std::string_view marker : browser_markers) {
        if (title.find(marker) != std::string_view::npos) return true;
    }
    for (std::string_view name : browser_title_endings) {
        if (ends_with_browser_name(title, name)) return true;
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

std::vector<std::string> browser_titles(window_system& windows)
{
    struct titles final : window_list_sink {
        std::vector<std::string> items;
        void clear() override { items.clear(); }
        void add_item(const std::string& title) override { items.push_back(title); }
        std::string item(std::size_t i) const override { return i < items.size() ? items[i] : std::string(); }
        void set_text(const std::string&) override {}
    } list;
    refresh_browser_list(windows, list);
    return std::move(list.items);
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
