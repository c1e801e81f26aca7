// Any resource database, however broken, gives a dpi a screen could have,
// and the presets scaled by it stay within what X and Windows accept.
#include "display_scale.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const double dpi = quenlow::xft_dpi({reinterpret_cast<const char*>(data), size});
    if (!(dpi >= 24.0 && dpi <= 960.0)) std::abort();
    const int width = quenlow::device_pixels(1280, dpi);
    if (width < 320 || width > 12800) std::abort();
    return 0;
}
