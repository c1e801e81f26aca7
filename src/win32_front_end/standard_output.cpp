#include "standard_output.h"

#include "win32_text.h"

#include <memory>

namespace quenlow {

namespace {

struct handle_closer {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using owned_handle = std::unique_ptr<void, handle_closer>;

bool write_console(HANDLE console, const std::string& utf8)
{
    const std::wstring text = wide(utf8);
    DWORD written = 0;
    return WriteConsoleW(console, text.data(), DWORD(text.size()), &written, nullptr) != 0;
}

// The console of the process that started this one (cmd, PowerShell), for
// the life of the program; nullptr when it was started from none.
HANDLE parent_console()
{
    static const owned_handle console = []() -> owned_handle {
        if (!AttachConsole(ATTACH_PARENT_PROCESS)) return nullptr;
        const HANDLE opened = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr);
        return owned_handle(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
    }();
    return console.get();
}

}  // namespace

bool write_standard_output(DWORD which, const std::string& utf8)
{
    if (utf8.empty()) return true;
    const HANDLE given = GetStdHandle(which);
    if (given != nullptr && given != INVALID_HANDLE_VALUE) {
        DWORD mode = 0;
        if (GetConsoleMode(given, &mode)) return write_console(given, utf8);
        if (GetFileType(given) != FILE_TYPE_UNKNOWN) {
            DWORD written = 0;
            return WriteFile(given, utf8.data(), DWORD(utf8.size()), &written, nullptr) && written == utf8.size();
        }
    }
    if (const HANDLE console = parent_console()) return write_console(console, utf8);
    return true;  // nowhere to write: started with neither a handle nor a console
}

}  // namespace quenlow
