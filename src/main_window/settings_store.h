#pragma once
// The program's two remembered choices, kept as text in the user's settings
// store under application "Mobrell", section "Tavrim". Each front-end backs
// this with its platform's store (see its own header for where).
// Failures are silent: an unreadable store reads as empty, an unwritable one
// drops the write, and the program goes on either way.

#include <string>
#include <string_view>

namespace quenlow {

inline constexpr std::string_view fast_button_key = "FastButton";
inline constexpr std::string_view chinese_key = "Chinese";

class settings_store {
public:
    virtual ~settings_store() = default;
    // The stored text, or "" when the key is missing.
    virtual std::string read(std::string_view key) const = 0;
    // Stores `text` and writes it out at once, so nothing is lost if the
    // program ends right after.
    virtual void write(std::string_view key, const std::string& text) = 0;
};

}  // namespace quenlow
