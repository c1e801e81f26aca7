#include "browser_list.h"

#include <utility>
#include <vector>

namespace quenlow {

namespace {
// The browsers of 2003 put their name anywhere in a window's title.
constexpr std::string_view browser_markers[]{
    "Microsoft Internet Explorer", "Netscape"};

// Today's browsers end every window title with their own name, after the
// page's title and a separator, " - " or " — " ("Example Domain — Mozilla
// Firefox"), or show the name alone for an empty page. One line a browser.
struct browser_name {
    std::string_view name;
    // Firefox's localised private windows put words before its name in the
    // last part ("… — Navigation privée de Mozilla Firefox").
    bool words_before = false;
};
constexpr browser_name browser_title_endings[]{
    {"Mozilla Firefox", true},  // release, ESR, Beta; localised private windows too
    {"Mozilla Firefox Private Browsing"},
    {"Firefox Developer Edition"}, {"Firefox Developer Edition Private Browsing"},
    {"Firefox Nightly"}, {"Firefox Nightly Private Browsing"},
    {"Google Chrome"},
    {"Chromium"},
    {"Microsoft\xE2\x80\x8B Edge"}, {"Microsoft Edge"},  // U+200B (UTF-8) after "Microsoft"
    {"Brave"},
    {"Opera"},
    {"Vivaldi"},
    {"Windows Internet Explorer"}, {"Internet Explorer"},  // 7 and 8; 9 to 11
};

constexpr std::string_view separators[]{" - ", " \xE2\x80\x94 "};  // hyphen, em dash (U+2014)

// True when `title` is the browser's name, or ends with a separator and the
// name ("Page - Chromium", not "Page-Chromium" nor "The Phantom of the
// Opera"); for a name that allows it, also when the part after the last
// separator ends with a space and the name.
bool ends_with_browser_name(std::string_view title, const browser_name& browser)
{
    const std::string_view name = browser.name;
    if (!title.ends_with(name)) return false;
    const std::string_view before = title.substr(0, title.size() - name.size());
    if (before.empty()) return true;
    for (std::string_view separator : separators) {
        if (before.ends_with(separator)) return true;
    }
    if (!browser.words_before || !before.ends_with(' ')) return false;
    for (std::string_view separator : separators) {
        if (before.find(separator) != std::string_view::npos) return true;
    }
    return false;
}
}  // namespace

bool is_browser_title(std::string_view title)
{
    for (std::string_view marker : browser_markers) {
        if (title.find(marker) != std::string_view::npos) return true;
    }
    for (const browser_name& browser : browser_title_endings) {
        if (ends_with_browser_name(title, browser)) return true;
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
