#pragma once
// How the two stored settings' texts are read back at start-up and written.
// Plain C++ so the readers can be fuzzed on their own.

#include <string>
#include <string_view>

namespace quenlow {

// The Fast Button box's state from its stored text: 0 for "", otherwise the
// longest leading decimal number (leading blanks, an optional sign, digits,
// an optional fraction and exponent; "inf", "nan" and hex are not numbers)
// rounded to the nearest integer with halves to even. Anything but 0, 1 or 2
// - including a number too large to represent - gives 0, since the box has
// no other state.
int fast_button_state_from_text(std::string_view stored);

// The text stored for a Fast Button state: its decimal digits.
std::string fast_button_text(int state);

// Chinese unless the stored text is exactly "" or "0" (so "00" and " 0" are
// Chinese).
bool chinese_from_text(std::string_view stored);

}  // namespace quenlow
