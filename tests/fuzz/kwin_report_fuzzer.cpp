// Whatever a KWin script's report or the GNOME extension's window list
// holds, reading it gives windows and ids that are never empty (or zero) and
// never longer than the report, the same way every time.
#include "gnome_windows.h"
#include "kwin_scripts.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view report(reinterpret_cast<const char*>(data), size);
    const auto windows = quenlow::parse_kwin_window_list(report);
    for (const quenlow::kwin_window& w : windows) {
        if (w.id.empty() || w.id.size() > size || w.caption.size() > size) std::abort();
    }
    if (quenlow::parse_kwin_window_list(report) != windows) std::abort();
    for (const std::string& id : quenlow::parse_kwin_id_list(report)) {
        if (id.empty() || id.size() > size) std::abort();
    }
    const auto listed = quenlow::parse_gnome_window_list(report);
    for (const quenlow::gnome_window& w : listed) {
        if (w.id == 0 || w.title.size() > size) std::abort();
    }
    if (quenlow::parse_gnome_window_list(report).size() != listed.size()) std::abort();
    return 0;
}
