#include "json_reader.h"

namespace quenlow {

namespace {

// The length of the well-formed UTF-8 sequence at `text[at]`; 0 when none
// starts there (RFC 3629: no overlong forms, no surrogates, nothing past
// U+10FFFF).
std::size_t utf8_sequence(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    }
    return length;
}

}  // namespace

std::string as_utf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (const std::size_t length = utf8_sequence(text, at)) {
            out.append(text.substr(at, length));
            at += length;
        } else {
            const auto latin1 = static_cast<unsigned char>(text[at++]);
            out += static_cast<char>(0xC0 | (latin1 >> 6));
            out += static_cast<char>(0x80 | (latin1 & 0x3F));
        }
    }
    return out;
}

nlohmann::json read_json(std::string_view text) { return nlohmann::json::parse(as_utf8(text), nullptr, false); }

namespace {
template <class Value, class Check>
Value field(const nlohmann::json& object, const char* key, Value fallback, Check is_right_type)
{
    if (!object.is_object()) return fallback;
    const auto found = object.find(key);
    return found != object.end() && is_right_type(*found) ? found->template get<Value>() : fallback;
}
}  // namespace

std::string json_string(const nlohmann::json& object, const char* key, std::string fallback)
{
    return field(object, key, std::move(fallback), [](const nlohmann::json& v) { return v.is_string(); });
}

bool json_bool(const nlohmann::json& object, const char* key, bool fallback)
{
    return field(object, key, fallback, [](const nlohmann::json& v) { return v.is_boolean(); });
}

std::int64_t json_integer(const nlohmann::json& object, const char* key, std::int64_t fallback)
{
    return field(object, key, fallback, [](const nlohmann::json& v) {
        return v.is_number_integer() && (!v.is_number_unsigned() || v.get<std::uint64_t>() <= INT64_MAX);
    });
}

std::uint64_t json_unsigned(const nlohmann::json& object, const char* key, std::uint64_t fallback)
{
    return field(object, key, fallback, [](const nlohmann::json& v) { return v.is_number_unsigned(); });
}

}  // namespace quenlow
