#include "display_scale.h"

#include <charconv>
#include <cmath>

namespace quenlow {

namespace {

// From a quarter of 96 dpi to ten times it: anything else is a typing error
// or a hostile value, and sizing a window by it would help nobody.
bool plausible(double dpi) { return std::isfinite(dpi) && dpi >= 24.0 && dpi <= 960.0; }

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

double scale_of_dpi(double dpi) { return plausible(dpi) ? dpi / reference_dpi : 1.0; }

int device_pixels(int pixels, double dpi)
{
    if (!plausible(dpi)) dpi = reference_dpi;
    return static_cast<int>(std::lround(pixels * dpi / reference_dpi));
}

double xft_dpi(std::string_view resources)
{
    double dpi = reference_dpi;
    while (!resources.empty()) {
        const auto end = resources.find('\n');
        const std::string_view line = resources.substr(0, end);
        resources = end == std::string_view::npos ? std::string_view{} : resources.substr(end + 1);
        const auto colon = line.find(':');
        if (colon == std::string_view::npos || trimmed(line.substr(0, colon)) != "Xft.dpi") continue;
        const std::string_view value = trimmed(line.substr(colon + 1));
        double read = 0;
        const auto [rest, error] = std::from_chars(value.data(), value.data() + value.size(), read);
        dpi = error == std::errc{} && rest == value.data() + value.size() && plausible(read) ? read : reference_dpi;
    }
    return dpi;
}

}  // namespace quenlow
