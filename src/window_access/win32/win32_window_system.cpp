#include "win32_window_system.h"

#include "display_scale.h"
#include "frame_compensation.h"
#include "win32_handle.h"
#include "win32_visible_frame.h"

#include <windows.h>
#include <dwmapi.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace quenlow {

namespace {

std::string utf8_of(const wchar_t* text, int length)
{
    if (length <= 0) return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

BOOL CALLBACK offer_window(HWND hwnd, LPARAM visitor)
{
    return (*reinterpret_cast<const window_system::window_visitor*>(visitor))(to_handle(hwnd)) ? TRUE : FALSE;
}

// The effective DPI of a monitor: the scale at which a browser there draws
// its pages, whether it is DPI-aware (then it equals GetDpiForWindow) or
// left to Windows to stretch (then GetDpiForWindow says 96 although the
// page is drawn larger). Looked up at run time, since shcore.dll came with
// Windows 8.1; before it, the system DPI.
double monitor_dpi(HMONITOR monitor)
{
    using get_dpi_for_monitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto get_dpi = [] {
        const HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<get_dpi_for_monitor>(
                            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    constexpr int effective_dpi = 0;  // MDT_EFFECTIVE_DPI
    UINT x = 0, y = 0;
    if (get_dpi && SUCCEEDED(get_dpi(monitor, effective_dpi, &x, &y)) && y > 0) return y;
    const HDC screen = GetDC(nullptr);
    const int system_dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return system_dpi > 0 ? system_dpi : reference_dpi;
}

// Calls that change another thread's window wait until that thread has
// handled them, and a browser that has stopped answering would hold this
// program for good: those are posted instead. Our own windows answer at
// once.
bool of_another_thread(HWND hwnd) { return GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId(); }

}  // namespace

std::string win32_window_system::title_of(window_handle window)
{
    const HWND hwnd = to_hwnd(window);
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    // The title may have changed since its length was asked: keep what was read.
    const int read = GetWindowTextW(hwnd, buffer.data(), length + 1);
    return utf8_of(buffer.data(), std::min(read, length));
}

void win32_window_system::enum_windows(const window_visitor& visit)
{
    EnumWindows(offer_window, reinterpret_cast<LPARAM>(&visit));
}

std::size_t win32_window_system::window_text_length(window_handle window) { return title_of(window).size(); }

std::size_t win32_window_system::window_text(window_handle window, char* buffer, std::size_t capacity)
{
    return copy_window_text(title_of(window), buffer, capacity);
}

window_handle win32_window_system::active_window()
{
    return to_handle(GetForegroundWindow());
}

window_handle win32_window_system::find_window(std::string_view title)
{
    // FindWindow ignores letter case; walk the windows top first instead and
    // take the first exact match, the one FindWindow would pick among equals.
    window_handle found = no_window;
    const window_visitor match = [&](window_handle window) {
        if (title_of(window) != title) return true;
        found = window;
        return false;
    };
    enum_windows(match);
    return found;
}

void win32_window_system::restore_window(window_handle window)
{
    const HWND hwnd = to_hwnd(window);
    if (!of_another_thread(hwnd)) {
        ShowWindow(hwnd, SW_RESTORE);
        return;
    }
    if (!ShowWindowAsync(hwnd, SW_RESTORE) || IsHungAppWindow(hwnd)) return;
    // Give a browser that answers a moment to leave the state, so that its
    // frame is measured as it is when it is placed; the state bits are read
    // without asking the window anything.
    const ULONGLONG deadline = GetTickCount64() + 500;
    while (IsWindow(hwnd) && (IsIconic(hwnd) || IsZoomed(hwnd)) && GetTickCount64() < deadline) Sleep(5);
}

placement_result win32_window_system::place_window(window_handle window, int width, int height)
{
    const double dpi = monitor_dpi(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY));
    return place_window_exactly(window, device_pixels(width, dpi), device_pixels(height, dpi));
}

placement_result win32_window_system::place_window_exactly(window_handle window, int wanted_width, int wanted_height)
{
    using outcome = placement_result::outcome;
    const HWND hwnd = to_hwnd(window);
    if (!IsWindow(hwnd)) return {outcome::gone};
    const UINT posted = of_another_thread(hwnd) ? SWP_ASYNCWINDOWPOS : 0;
    // A DPI-aware window that moves to a monitor of another scale resizes
    // itself there (WM_DPICHANGED). So it moves first, and is sized after,
    // for the monitor at the corner, where it lands.
    const HMONITOR destination = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST) != destination) {
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | posted);
    }
    RECT rect{};
    if (!GetWindowRect(hwnd, &rect)) return {outcome::gone};
    const window_request request = compensated_request({rect.left, rect.top, rect.right, rect.bottom},
                                                       visible_bounds(hwnd, rect), wanted_width, wanted_height);
    // Refused for a window of a program with higher rights (UIPI), say.
    if (!SetWindowPos(hwnd, HWND_TOP, request.x, request.y, request.width, request.height, SWP_SHOWWINDOW | posted)) {
        return {IsWindow(hwnd) ? outcome::refused : outcome::gone};
    }
    // Another program's window takes the posted request when its thread
    // next reads its messages: read back for a moment. One that has stopped
    // answering takes it later; this says it did not answer.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    screen_rect seen{};
    for (;;) {
        if (!GetWindowRect(hwnd, &rect)) return {outcome::gone};
        seen = visible_bounds(hwnd, rect);
        if (seen.left == 0 && seen.top == 0 && seen.right == wanted_width && seen.bottom == wanted_height) {
            return {outcome::placed};
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
        Sleep(10);
    }
    if (IsHungAppWindow(hwnd)) return {outcome::no_answer};
    return {outcome::other_size, static_cast<int>(seen.right - seen.left), static_cast<int>(seen.bottom - seen.top)};
}

std::uint32_t win32_window_system::process_id(window_handle window)
{
    DWORD process = 0;
    return GetWindowThreadProcessId(to_hwnd(window), &process) ? process : 0;
}

double win32_window_system::display_scale(window_handle)
{
    return scale_of_dpi(monitor_dpi(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY)));
}

void win32_window_system::set_topmost(window_handle window, bool topmost)
{
    SetWindowPos(to_hwnd(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

}  // namespace quenlow
