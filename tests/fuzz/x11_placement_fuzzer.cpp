// Whatever another client writes into its frame, shadow and size-hint
// properties, the placement request stays within X's 16-bit geometry (and
// UndefinedBehaviorSanitizer sees no overflow on the way).
#include "x11_placement.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint32_t> values((size + 3) / 4, 0);
    if (size > 0) std::memcpy(values.data(), data, size);
    const auto take = [&](std::size_t from, std::size_t count) {
        std::vector<std::uint32_t> part;
        for (std::size_t i = from; i < from + count && i < values.size(); ++i) part.push_back(values[i]);
        return part;
    };
    const quenlow::extents frame = quenlow::extents_from(take(0, 4));
    const quenlow::extents shadow = quenlow::extents_from(take(4, 4));
    const quenlow::size_hints hints = quenlow::size_hints_from(take(8, 18));
    const int width = values.size() > 26 ? static_cast<int>(values[26]) : 1280;
    const int height = values.size() > 27 ? static_cast<int>(values[27]) : 1024;
    const quenlow::client_request r = quenlow::placement_for(width, height, frame, shadow, hints);
    const auto fits = [](int v) { return v >= -quenlow::max_x_size && v <= quenlow::max_x_size; };
    if (!fits(r.x) || !fits(r.y) || r.width < 1 || r.height < 1 || !fits(r.width) || !fits(r.height)) std::abort();
    return 0;
}
