#include "gnome_windows.h"

#include <nlohmann/json.hpp>

#include <type_traits>

namespace quenlow {

std::vector<gnome_window> parse_gnome_window_list(std::string_view json)
{
    std::vector<gnome_window> windows;
    const auto list = nlohmann::json::parse(json, nullptr, false);
    if (!list.is_array()) return windows;
    for (const auto& entry : list) {
        if (!entry.is_object()) continue;
        const auto field = [&](const char* key, auto fallback) {
            const auto found = entry.find(key);
            using value_type = decltype(fallback);
            if (found == entry.end()) return fallback;
            if constexpr (std::is_same_v<value_type, std::string>) {
                return found->is_string() ? found->template get<std::string>() : fallback;
            } else if constexpr (std::is_same_v<value_type, bool>) {
                return found->is_boolean() ? found->template get<bool>() : fallback;
            } else if constexpr (std::is_unsigned_v<value_type>) {
                return found->is_number_unsigned() ? found->template get<value_type>() : fallback;
            } else {
                return found->is_number_integer() ? found->template get<value_type>() : fallback;
            }
        };
        gnome_window window;
        window.id = field("id", std::uint64_t{0});
        if (window.id == 0) continue;
        window.title = field("title", std::string());
        window.pid = field("pid", std::int64_t{0});
        window.frame = {field("x", 0), field("y", 0), field("w", 0), field("h", 0)};
        window.focus = field("focus", false);
        windows.push_back(std::move(window));
    }
    return windows;
}

}  // namespace quenlow
