#include "stored_values.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace quenlow {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::size_t skip_digits(std::string_view text, std::size_t at)
{
    while (at < text.size() && is_digit(text[at])) ++at;
    return at;
}

// Length of the decimal number at the start of `text` (no sign, no blanks),
// or 0 when it does not start with one.
std::size_t leading_number_length(std::string_view text)
{
    std::size_t end = skip_digits(text, 0);
    bool has_digits = end > 0;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fraction_end = skip_digits(text, end + 1);
        has_digits = has_digits || fraction_end > end + 1;
        end = fraction_end;
    }
    if (!has_digits) return 0;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
        const std::size_t exponent_end = skip_digits(text, exponent);
        if (exponent_end > exponent) end = exponent_end;  // "1e" is the number 1 and a letter
    }
    return end;
}

}  // namespace

int fast_button_state_from_text(std::string_view stored)
{
    std::size_t at = 0;
    while (at < stored.size() && (stored[at] == ' ' || stored[at] == '\t')) ++at;
    bool negative = false;
    if (at < stored.size() && (stored[at] == '+' || stored[at] == '-')) {
        negative = stored[at] == '-';
        ++at;
    }
    const std::string_view rest = stored.substr(at);
    const std::size_t length = leading_number_length(rest);
    if (length == 0) return 0;

    // from_chars reads the "C" way whatever the user's locale says.
    double value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + length, value,
                                              std::chars_format::general);
    if (error != std::errc{} || end != rest.data() + length || !std::isfinite(value)) return 0;
    if (negative) value = -value;

    const double rounded = value - std::floor(value) == 0.5
                               ? 2.0 * std::round(value / 2.0)  // halves go to the even neighbour
                               : std::round(value);
    if (rounded == 1.0) return 1;
    if (rounded == 2.0) return 2;
    return 0;
}

std::string fast_button_text(int state) { return std::to_string(state); }

bool chinese_from_text(std::string_view stored) { return stored != "" && stored != "0"; }

}  // namespace quenlow
