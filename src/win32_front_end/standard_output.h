#pragma once
// Where the command line's text goes from a GUI program, which Windows
// starts with no console of its own: to the standard handle its parent gave
// it (a file or a pipe, as `quenlow.exe --list > list.txt` makes) as UTF-8
// bytes, or else to the console it was started from, as UTF-16 so any
// title shows whatever the console's code page. Nothing is written when
// there is neither. Returns false when a write failed (a full disk).

#include <windows.h>

#include <string>

namespace quenlow {

bool write_standard_output(DWORD which, const std::string& utf8);  // STD_OUTPUT_HANDLE or STD_ERROR_HANDLE

}  // namespace quenlow
