// Whatever a KWin script's report, the GNOME extension's window list or an
// i3 or sway tree holds, reading it gives windows and ids that are never
// empty (or zero), titles that are UTF-8 and at most twice the report (a
// byte read as Latin-1 takes two), the same way every time.
#include "gnome_windows.h"
#include "i3_tree.h"
#include "json_reader.h"
#include "kwin_scripts.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
void check_title(const std::string& title, std::size_t size)
{
    if (title.size() > 2 * size || quenlow::as_utf8(title) != title) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view report(reinterpret_cast<const char*>(data), size);
    const auto windows = quenlow::parse_kwin_window_list(report);
    for (const quenlow::kwin_window& w : windows) {
        if (w.id.empty()) std::abort();
        check_title(w.id, size);
        check_title(w.caption, size);
    }
    if (quenlow::parse_kwin_window_list(report) != windows) std::abort();
    for (const std::string& id : quenlow::parse_kwin_id_list(report)) {
        if (id.empty()) std::abort();
        check_title(id, size);
    }
    const auto listed = quenlow::parse_gnome_window_list(report);
    for (const quenlow::gnome_window& w : listed) {
        if (w.id == 0) std::abort();
        check_title(w.title, size);
    }
    if (quenlow::parse_gnome_window_list(report).size() != listed.size()) std::abort();
    const auto views = quenlow::i3_views(report);
    for (const quenlow::i3_view& view : views) check_title(view.name, size);
    if (quenlow::i3_views(report).size() != views.size()) std::abort();
    quenlow::i3_command_succeeded(report);
    return 0;
}
