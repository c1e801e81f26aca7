#pragma once
// JSON read from another process (i3 and sway's tree, KWin's and GNOME
// Shell's reports). Window titles there are whatever their clients set, and
// not always UTF-8 (an XWayland title in Latin-1, a terminal's raw bytes),
// which a JSON reader rejects, and with it every other window: bytes that
// are not UTF-8 are read as Latin-1 first. A field that is missing or of
// another type reads as its fallback.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>

namespace quenlow {

// The text with every byte that is not part of a well-formed UTF-8
// sequence taken as the Latin-1 character of that value.
std::string as_utf8(std::string_view text);

// The JSON in `text`; a discarded value where it is no JSON.
nlohmann::json read_json(std::string_view text);

std::string json_string(const nlohmann::json& object, const char* key, std::string fallback = {});
bool json_bool(const nlohmann::json& object, const char* key, bool fallback = false);
std::int64_t json_integer(const nlohmann::json& object, const char* key, std::int64_t fallback = 0);
std::uint64_t json_unsigned(const nlohmann::json& object, const char* key, std::uint64_t fallback = 0);

}  // namespace quenlow
