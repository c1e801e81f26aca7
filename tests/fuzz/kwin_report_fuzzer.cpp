// Whatever a script's report holds, reading it gives windows whose ids are
// one line each and carry no tab, the same way every time.
#include "kwin_scripts.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view report(reinterpret_cast<const char*>(data), size);
    const auto windows = quenlow::parse_kwin_window_list(report);
    for (const quenlow::kwin_window& w : windows) {
        if (w.id.empty() || w.id.find_first_of("\t\n") != std::string::npos) std::abort();
        if (w.caption.size() > size) std::abort();
    }
    if (quenlow::parse_kwin_window_list(report) != windows) std::abort();
    return 0;
}
