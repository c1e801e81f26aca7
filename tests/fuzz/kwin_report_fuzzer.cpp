// Whatever a script's report holds, reading it gives windows and ids that
// are never empty and never longer than the report, the same way every time.
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
    return 0;
}
