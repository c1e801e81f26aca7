#pragma once
// Turns the bytes of an X window's title property into UTF-8, whatever type
// the client stored it as. Plain C++ (glibc's iconv) so it can be fuzzed.

#include <string>
#include <string_view>

namespace quenlow {

enum class x11_text_encoding {
    utf8,           // UTF8_STRING, _NET_WM_NAME
    latin1,         // STRING
    compound_text,  // COMPOUND_TEXT (ISO 2022 with X's extensions)
};

// Valid UTF-8 for any input: the text ends at the first NUL (X text lists
// separate entries with NULs), and every byte that cannot be decoded becomes
// U+FFFD. The same bytes always give the same text, so a title decoded twice
// still compares equal.
std::string decode_x11_title(std::string_view bytes, x11_text_encoding encoding);

// `bytes` with every invalid UTF-8 sequence replaced by U+FFFD.
std::string sanitize_utf8(std::string_view bytes);

}  // namespace quenlow
