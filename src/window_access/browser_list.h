#pragma once
// The list of browser windows the user picks from: every top-level window
// whose title names a web browser, in the window system's order.

#include "window_system.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quenlow {

// Where the titles go: the main window backs this with its list box; tests
// back it with a vector.
class window_list_sink {
public:
    virtual ~window_list_sink() = default;
    virtual void clear() = 0;
    // Appends at the end; the list never sorts.
    virtual void add_item(const std::string& title) = 0;
    // The entry at `index`, or "" when there is none.
    virtual std::string item(std::size_t index) const = 0;
    // Selects the first entry equal to `text`; "" (or no such entry) leaves
    // nothing selected.
    virtual void set_text(const std::string& text) = 0;
};

// True when the title names a web browser, compared byte for byte (letter
// case counts): it contains "Microsoft Internet Explorer" or "Netscape"
// anywhere, or it ends with the name a browser of today writes at the end of
// its window titles ("Mozilla Firefox", "Chromium", "Microsoft Edge", ...),
// where that name is the whole title or follows " - " or " — " (Firefox's
// localised private windows: words of their own between the two).
bool is_browser_title(std::string_view title);

// The title of `window` as the window system reports it now; "" for an
// untitled or vanished window. Keeps only the bytes the read returned, so a
// title that shrank between the length query and the read leaves no padding.
std::string read_window_title(window_system& windows, window_handle window);

// The per-window step of the walk: appends the window's title to `list` when
// it names a browser. Always returns true, so the walk sees every window.
bool list_browser_window(window_system& windows, window_list_sink& list,
                         window_handle window);

// Empties `list`, refills it with every browser window's title in the window
// system's order, then selects the first entry (nothing when it is empty).
void refresh_browser_list(window_system& windows, window_list_sink& list);

// The titles a refresh puts in the list, in its order, as plain strings.
std::vector<std::string> browser_titles(window_system& windows);

}  // namespace quenlow
