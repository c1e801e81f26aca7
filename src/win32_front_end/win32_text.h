#pragma once
// UTF-8, the window logic's text, to and from UTF-16, Windows' own.

#include <windows.h>

#include <string>

namespace quenlow {

inline std::wstring wide(const std::string& utf8)
{
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring text(std::size_t(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), text.data(), length);
    return text;
}

inline std::string utf8(const std::wstring& wide_text)
{
    if (wide_text.empty()) return {};
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide_text.data(), int(wide_text.size()), nullptr, 0, nullptr, nullptr);
    std::string text(std::size_t(length > 0 ? length : 0), '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide_text.data(), int(wide_text.size()), text.data(), length, nullptr,
                            nullptr);
    }
    return text;
}

}  // namespace quenlow
