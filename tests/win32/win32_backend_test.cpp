// The Win32 backend against real windows (run under Wine): listing,
// exact lookup, restoring and placing, topmost, vanished windows, a window
// of another process, and the version record the program carries.
//
// Started as "win32_backend_tests --host-window TITLE", the program instead
// opens one window with that title and serves it until it is ended: the
// other process the tests resize.
#include "app_version.h"
#include "browser_list.h"
#include "resize_command.h"
#include "win32_page_area.h"
#include "win32_window_system.h"
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace quenlow {
namespace {

using testing::eventually;
using testing::pump_messages;
using testing::wide;

constexpr wchar_t window_class[] = L"QuenlowTestWindow";

void register_class()
{
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = window_class;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
}

HWND open_window(const std::string& title, int show = SW_SHOWNORMAL)
{
    register_class();
    HWND hwnd = CreateWindowExW(0, window_class, wide(title).c_str(), WS_OVERLAPPEDWINDOW, 200, 150, 400, 300,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    pump_messages();
    return hwnd;
}

window_handle handle_of(HWND hwnd) { return window_handle(reinterpret_cast<std::uintptr_t>(hwnd)); }

RECT rect_of(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

bool placed_at_origin(HWND hwnd, int width, int height)
{
    const RECT r = rect_of(hwnd);
    return r.left == 0 && r.top == 0 && r.right - r.left == width && r.bottom - r.top == height;
}

std::string describe(HWND hwnd)
{
    const RECT r = rect_of(hwnd);
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

// Windows whose titles carry `tag`, so windows Wine itself shows do not count.
struct tagged_list final : window_list_sink {
    explicit tagged_list(std::string tag) : tag(std::move(tag)) {}
    void clear() override { items.clear(); }
    void add_item(const std::string& title) override
    {
        if (title.find(tag) != std::string::npos) items.push_back(title);
    }
    std::string item(std::size_t index) const override { return index < items.size() ? items[index] : ""; }
    void set_text(const std::string&) override {}
    std::string tag;
    std::vector<std::string> items;
};

class Win32Desktop : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (HWND hwnd : windows) DestroyWindow(hwnd);
        pump_messages();
    }
    HWND open(const std::string& title, int show = SW_SHOWNORMAL)
    {
        windows.push_back(open_window(title, show));
        return windows.back();
    }
    std::vector<std::string> listed(const std::string& tag)
    {
        tagged_list list(tag);
        refresh_browser_list(backend, list);
        return list.items;
    }

    win32_window_system backend;
    std::vector<HWND> windows;
};

TEST_F(Win32Desktop, ListsBrowserTitlesTopFirstAndSkipsTheRest)
{
    open("[list] A - Netscape");
    open("[list] lower netscape");
    open("[list] Editor");
    open("[list] B - Microsoft Internet Explorer");
    const std::vector<std::string> expected{"[list] B - Microsoft Internet Explorer", "[list] A - Netscape"};
    EXPECT_EQ(listed("[list]"), expected);
}

TEST_F(Win32Desktop, LookupIsExactWhereFindWindowIgnoresCase)
{
    const HWND upper = open("[case] Home - Netscape");
    const HWND lower = open("[case] home - netscape");
    EXPECT_EQ(backend.find_window("[case] Home - Netscape"), handle_of(upper));
    EXPECT_EQ(backend.find_window("[case] home - netscape"), handle_of(lower));
    EXPECT_EQ(backend.find_window("[case] HOME - NETSCAPE"), no_window);
}

TEST_F(Win32Desktop, OfEqualTitlesTheTopOneIsFound)
{
    open("[same] Home - Netscape");
    const HWND top = open("[same] Home - Netscape");
    SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(backend.find_window("[same] Home - Netscape"), handle_of(top));
    EXPECT_EQ(listed("[same]").size(), 2u);
}

// Edge writes a zero-width space into its own name.
TEST_F(Win32Desktop, TitlesBeyondTheLegacyCodePageAreFoundAndResized)
{
    const std::string cjk = "[wide] 首頁 🌐 - Netscape";
    const std::string edge = "[wide] Example Domain - Personal - Microsoft\u200b Edge";
    const HWND cjk_window = open(cjk);
    const HWND edge_window = open(edge);
    EXPECT_EQ(listed("[wide]"), (std::vector<std::string>{edge, cjk}));
    for (const auto& [title, window] : {std::pair{cjk, cjk_window}, std::pair{edge, edge_window}}) {
        const HWND hwnd = window;
        EXPECT_EQ(resize_window_titled(backend, title, {800, 600}), handle_of(hwnd));
        EXPECT_TRUE(eventually([&] { return placed_at_origin(hwnd, 800, 600); })) << describe(hwnd);
    }
}

TEST_F(Win32Desktop, EveryPresetLandsExactlyAtTheOrigin)
{
    const HWND hwnd = open("[preset] Page - Netscape");
    for (const size_preset& preset : size_presets) {
        resize_window_titled(backend, "[preset] Page - Netscape", {preset.width, preset.height});
        EXPECT_TRUE(eventually([&] { return placed_at_origin(hwnd, preset.width, preset.height); }))
            << preset.caption << ": " << describe(hwnd);
    }
}

TEST_F(Win32Desktop, MaximisedWindowIsRestoredThenPlaced)
{
    const HWND hwnd = open("[max] Page - Netscape", SW_SHOWMAXIMIZED);
    ASSERT_TRUE(IsZoomed(hwnd));
    resize_window_titled(backend, "[max] Page - Netscape", {1024, 768});
    EXPECT_FALSE(IsZoomed(hwnd));
    EXPECT_TRUE(eventually([&] { return placed_at_origin(hwnd, 1024, 768); })) << describe(hwnd);
}

TEST_F(Win32Desktop, MinimisedWindowIsRestoredThenPlaced)
{
    const HWND hwnd = open("[min] Page - Netscape", SW_SHOWMINIMIZED);
    ASSERT_TRUE(IsIconic(hwnd));
    resize_window_titled(backend, "[min] Page - Netscape", {640, 480});
    EXPECT_FALSE(IsIconic(hwnd));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_TRUE(eventually([&] { return placed_at_origin(hwnd, 640, 480); })) << describe(hwnd);
}

TEST_F(Win32Desktop, TopmostSwitchesOnAndOff)
{
    const HWND hwnd = open("[top] Own window");
    const auto topmost = [&] { return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    const RECT before = rect_of(hwnd);
    backend.set_topmost(handle_of(hwnd), true);
    EXPECT_TRUE(topmost());
    backend.set_topmost(handle_of(hwnd), false);
    EXPECT_FALSE(topmost());
    const RECT after = rect_of(hwnd);
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.right, after.right);
}

TEST_F(Win32Desktop, VanishedWindowEndsTheCommandQuietly)
{
    const HWND hwnd = open_window("[gone] Page - Netscape");
    const window_handle stale = backend.find_window("[gone] Page - Netscape");
    ASSERT_EQ(stale, handle_of(hwnd));
    DestroyWindow(hwnd);
    pump_messages();
    EXPECT_EQ(resize_window_titled(backend, "[gone] Page - Netscape", {640, 480}), no_window);
    backend.restore_window(stale);
    backend.place_window(stale, 640, 480);
    backend.set_topmost(stale, true);
    EXPECT_EQ(read_window_title(backend, stale), "");
}

// This test program started again with `arguments` (one of the modes in
// main), as the browser of another process; ended with the object.
class browser_process {
public:
    explicit browser_process(const std::wstring& arguments)
    {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring command = L"\"" + std::wstring(self) + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                  &process_);
    }
    ~browser_process()
    {
        if (!started_) return;
        TerminateProcess(process_.hProcess, 0);
        WaitForSingleObject(process_.hProcess, 5000);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    browser_process(const browser_process&) = delete;
    browser_process& operator=(const browser_process&) = delete;
    bool started() const { return started_; }
    DWORD id() const { return process_.dwProcessId; }

private:
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

TEST_F(Win32Desktop, WindowOfAnotherProcessIsListedAndPlaced)
{
    const browser_process other(L"--host-window \"[other] Page - Netscape\"");
    ASSERT_TRUE(other.started());
    window_handle found = no_window;
    ASSERT_TRUE(eventually([&] { return (found = backend.find_window("[other] Page - Netscape")) != no_window; }));
    EXPECT_EQ(listed("[other]"), std::vector<std::string>{"[other] Page - Netscape"});
    resize_window_titled(backend, "[other] Page - Netscape", {800, 600});
    const HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(found));
    EXPECT_TRUE(eventually([&] { return placed_at_origin(hwnd, 800, 600); })) << describe(hwnd);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    EXPECT_EQ(owner, other.id());
}

// A browser (another process) whose thread has stopped taking messages:
// Change Size returns at once all the same, and the window takes the
// request when it answers again.
TEST_F(Win32Desktop, ABrowserThatStopsAnsweringNeverHoldsTheCommand)
{
    const std::unique_ptr<void, decltype(&CloseHandle)> wake(
        CreateEventW(nullptr, TRUE, FALSE, L"QuenlowTestWakeTheBrowser"), &CloseHandle);
    const browser_process hung(L"--hung-window \"[hung] Page - Netscape\" QuenlowTestWakeTheBrowser");
    ASSERT_TRUE(wake && hung.started());
    window_handle found = no_window;
    ASSERT_TRUE(eventually([&] { return (found = backend.find_window("[hung] Page - Netscape")) != no_window; }));
    const HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(found));
    EXPECT_EQ(resize_window_titled(backend, "[hung] Page - Netscape", {800, 600}), found);
    SetEvent(wake.get());  // reached only if the command returned
    EXPECT_TRUE(eventually([&] { return placed_at_origin(hwnd, 800, 600); })) << describe(hwnd);
}

// Its page is asked about through accessibility, in time all the same.
TEST_F(Win32Desktop, ABrowserThatStopsAnsweringIsAskedForItsPageOnlyUntilTheDeadline)
{
    const std::unique_ptr<void, decltype(&CloseHandle)> wake(
        CreateEventW(nullptr, TRUE, FALSE, L"QuenlowTestWakeThePage"), &CloseHandle);
    const browser_process hung(L"--hung-window \"[hung] Page - Mozilla Firefox\" QuenlowTestWakeThePage");
    ASSERT_TRUE(wake && hung.started());
    const std::string title = "[hung] Page - Mozilla Firefox";
    window_handle found = no_window;
    ASSERT_TRUE(eventually([&] { return (found = backend.find_window(title)) != no_window; }));
    const HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(found));
    ASSERT_TRUE(eventually([&] { return !SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 50, nullptr); }));
    // Without the deadline the read would wait for the page until the
    // browser is woken, which only its return does.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    const page_reading reading = win32_page_area().read({found, hung.id(), title}, deadline);
    EXPECT_FALSE(reading.found);
    EXPECT_NE(reading.why_not.find("in time"), std::string::npos) << reading.why_not;
    SetEvent(wake.get());
}

int system_dpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// Run on a desktop of 144 dpi: a preset is as many page pixels as on a
// 96-dpi screen, so 1.5 times as many device pixels.
class ScaledDesktop : public Win32Desktop {};

TEST_F(ScaledDesktop, PresetsAreSizedInPagePixels)
{
    ASSERT_EQ(system_dpi(), 144) << "run with: run_under_wine.sh --dpi 144";
    const HWND hwnd = open("[scaled] Page - Netscape", SW_SHOWMAXIMIZED);
    resize_window_titled(backend, "[scaled] Page - Netscape", {800, 600});
    EXPECT_TRUE(eventually([&] { return placed_at_origin(hwnd, 1200, 900); })) << describe(hwnd);
    resize_window_titled(backend, "[scaled] Page - Netscape", {640, 480});
    EXPECT_TRUE(eventually([&] { return placed_at_origin(hwnd, 960, 720); })) << describe(hwnd);
}

std::wstring version_string(const std::vector<BYTE>& data, const wchar_t* name)
{
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), path.c_str(), &value, &length) || length == 0) return {};
    return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

TEST(VersionRecord, ReadsBackAsTheBuildVersion)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(self, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(GetFileVersionInfoW(self, 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1u);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), 1u);
    EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), 0u);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), 2u);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(version_string(data, L"ProductName"), L"Mobrell Quenlow");
    EXPECT_EQ(version_string(data, L"FileVersion"), L"1.1.0.2");
    EXPECT_FALSE(version_string(data, L"LegalCopyright").empty());
    // The triple shown to the user: major, minor and the fourth number.
    EXPECT_EQ(std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) +
                  "." + std::to_string(LOWORD(fixed->dwFileVersionLS)),
              std::to_string(build_info::version_major) + "." + std::to_string(build_info::version_minor) + "." +
                  std::to_string(build_info::version_revision));
}

// Opens a maximised window, then takes no message until the named event is
// set: a browser that has stopped answering for a while.
int hung_window(const std::string& title, const std::string& wake_name)
{
    open_window(title, SW_SHOWMAXIMIZED);
    HANDLE wake = OpenEventW(SYNCHRONIZE, FALSE, wide(wake_name).c_str());
    if (!wake) return 1;
    WaitForSingleObject(wake, INFINITE);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

int host_window(const std::string& title)
{
    open_window(title);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace
}  // namespace quenlow

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--host-window") return quenlow::host_window(argv[2]);
    if (argc == 4 && std::string(argv[1]) == "--hung-window") return quenlow::hung_window(argv[2], argv[3]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
