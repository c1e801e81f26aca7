// quenlow.exe as a user meets it, under Wine: started as a process, driven
// by mouse clicks on its controls (never by calling its code), and checked
// from outside (window styles and rectangles, the registry).
#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace quenlow {
namespace {

using testing::eventually;
using testing::pump_messages;

constexpr wchar_t settings_key[] = L"Software\\VB and VBA Program Settings\\Mobrell\\Tavrim";
const std::wstring english_title = L"Mobrell Quenlow - Ver.: 1.1.2";

std::optional<std::wstring> stored(const wchar_t* name)
{
    wchar_t text[256];
    DWORD size = sizeof(text);
    if (RegGetValueW(HKEY_CURRENT_USER, settings_key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

void store(const wchar_t* name, const std::wstring& text)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, settings_key, name, REG_SZ, text.c_str(),
                    DWORD((text.size() + 1) * sizeof(wchar_t)));
}

void forget_settings() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Mobrell"); }

std::wstring title_of(HWND hwnd)
{
    wchar_t text[256] = L"";
    GetWindowTextW(hwnd, text, 256);
    return text;
}

RECT rect_of(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

std::string describe(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

bool topmost(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// The program's top-level windows with `title`, visible ones only.
std::vector<HWND> windows_titled(DWORD process, const std::wstring& title)
{
    struct search {
        DWORD process;
        const std::wstring& title;
        std::vector<HWND> found;
    } wanted{process, title, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM data) {
            auto& s = *reinterpret_cast<search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s.process && IsWindowVisible(hwnd) && title_of(hwnd) == s.title) s.found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&wanted));
    return wanted.found;
}

HWND control_captioned(HWND window, const std::wstring& caption)
{
    struct search {
        const std::wstring& caption;
        HWND found = nullptr;
    } wanted{caption};
    EnumChildWindows(
        window,
        [](HWND hwnd, LPARAM data) {
            auto& s = *reinterpret_cast<search*>(data);
            if (title_of(hwnd) == s.caption) s.found = hwnd;
            return s.found ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&wanted));
    return wanted.found;
}

// A click in the middle of a control, as the mouse's messages reach it:
// press, then release, through the control's own message handling (its
// capture, its notification, the program's mouse-up). Posted rather than
// sent through SendInput, whose releases Wine 8 could route to a window
// that no longer had the pointer while activation changed, so that clicks
// went missing at random. The program handles them in its own time: the
// tests wait for the effects.
void click(HWND control, bool right_button = false)
{
    RECT r{};
    GetClientRect(control, &r);
    const LPARAM middle = MAKELPARAM(r.right / 2, r.bottom / 2);
    PostMessageW(control, right_button ? WM_RBUTTONDOWN : WM_LBUTTONDOWN,
                 right_button ? MK_RBUTTON : MK_LBUTTON, middle);
    PostMessageW(control, right_button ? WM_RBUTTONUP : WM_LBUTTONUP, 0, middle);
}

// A left press on a control that the user drags off it before releasing.
void cancelled_click(HWND control)
{
    RECT r{};
    GetClientRect(control, &r);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right / 2, r.bottom / 2));
    PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(r.right + 40, r.bottom / 2));
}

// The program's child window at a point of its client area.
HWND child_at(HWND window, POINT at)
{
    return ChildWindowFromPointEx(window, at, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
}

// The quenlow.exe to start, quoted: the one in $QUENLOW_PROGRAM when set
// (an installed copy), else the one beside this program.
std::wstring program_command()
{
    wchar_t path[MAX_PATH];
    if (const DWORD length = GetEnvironmentVariableW(L"QUENLOW_PROGRAM", path, MAX_PATH); length && length < MAX_PATH) {
        return L"\"" + std::wstring(path, length) + L"\"";
    }
    const DWORD own = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring self(path, own);
    return L"\"" + self.substr(0, self.find_last_of(L'\\') + 1) + L"quenlow.exe\"";
}

// quenlow.exe, started from beside this program, ended with the test.
class running_program {
public:
    running_program()
    {
        std::wstring command = program_command();
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &process_)) {
            eventually([&] { return (window_ = find(english_title)) || (window_ = find(chinese_title)); },
                       std::chrono::seconds(20));

        }
    }
    ~running_program()
    {
        if (!process_.hProcess) return;
        for (const std::wstring& title : {english_title, chinese_title, std::wstring(L"About me")}) {
            for (HWND hwnd : windows_titled(process_.dwProcessId, title)) PostMessageW(hwnd, WM_CLOSE, 0, 0);
        }
        if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the program did not end when its windows were closed";
            TerminateProcess(process_.hProcess, 1);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    running_program(const running_program&) = delete;
    running_program& operator=(const running_program&) = delete;

    HWND window() const { return window_; }
    HWND find(const std::wstring& title) const
    {
        const auto found = windows_titled(process_.dwProcessId, title);
        return found.empty() ? nullptr : found.front();
    }
    std::size_t count(const std::wstring& title) const { return windows_titled(process_.dwProcessId, title).size(); }
    HWND control(const std::wstring& caption) const { return control_captioned(window_, caption); }

    static inline const std::wstring chinese_title = L"  \u58a8\u8c9d\u6606\u6d1b - \u7248\u672c 1.1.2";

private:
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

// A browser window of this test's own thread that notes every size it is
// given and whether it was maximised then, so that a size it was never meant
// to get, or got while still maximised, shows.
struct size_given {
    int width, height;
    bool maximised;
};
std::vector<size_given> sizes_given;

LRESULT CALLBACK browser_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_WINDOWPOSCHANGED) {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lparam);
        if (!(pos->flags & SWP_NOSIZE)) sizes_given.push_back({pos->cx, pos->cy, IsZoomed(hwnd) != FALSE});
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

HWND open_browser(const std::wstring& title, int show)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = browser_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuenlowTestBrowser";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 300, 200, 500, 400, nullptr,
                                nullptr, wc.hInstance, nullptr);
    ShowWindow(hwnd, show);
    pump_messages();
    return hwnd;
}

bool has_size(HWND hwnd, int left, int top, int width, int height)
{
    const RECT r = rect_of(hwnd);
    return r.left == left && r.top == top && r.right - r.left == width && r.bottom - r.top == height;
}

TEST(Program, FirstStartThenTopmostLanguageAndAboutBoxByMouse)
{
    forget_settings();
    running_program program;
    ASSERT_TRUE(program.window()) << "the program's window did not appear";
    EXPECT_EQ(title_of(program.window()), english_title);
    EXPECT_EQ(stored(L"Chinese"), L"0");
    EXPECT_EQ(stored(L"FastButton"), std::nullopt);
    EXPECT_TRUE(topmost(program.window()));

    // Greyed at start; a click checks it, the next one clears it.
    const HWND always_on_top = program.control(L"Always on Top");
    ASSERT_TRUE(always_on_top);
    click(always_on_top);
    EXPECT_TRUE(eventually([&] { return SendMessageW(always_on_top, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    EXPECT_TRUE(topmost(program.window()));
    click(always_on_top);
    EXPECT_TRUE(eventually([&] { return !topmost(program.window()); }));
    click(always_on_top);
    EXPECT_TRUE(eventually([&] { return topmost(program.window()); }));

    click(program.control(L"Chinese \u4e2d\u6587"));
    EXPECT_TRUE(eventually([&] { return title_of(program.window()) == running_program::chinese_title; }));
    EXPECT_TRUE(eventually([&] { return stored(L"Chinese") == L"1"; }));

    // Two clicks on the banner in the top right corner, then OK.
    RECT client{};
    GetClientRect(program.window(), &client);
    const HWND banner = child_at(program.window(), {client.right - 60, 20});
    ASSERT_TRUE(banner);
    click(banner);
    click(banner);
    ASSERT_TRUE(eventually([&] { return program.count(L"About me") == 1; }));
    // Both clicks are handled once the English option's click, sent after
    // them, is: the box stays one.
    click(program.control(L"English  \u82f1\u6587"));
    EXPECT_TRUE(eventually([&] { return title_of(program.window()) == english_title; }));
    EXPECT_EQ(program.count(L"About me"), 1u);
    click(control_captioned(program.find(L"About me"), L"OK"));
    EXPECT_TRUE(eventually([&] { return program.count(L"About me") == 0; }));
    // Built anew, it closes on Esc as well (OK is also the cancel button).
    click(banner);
    ASSERT_TRUE(eventually([&] { return program.count(L"About me") == 1; }));
    const HWND ok = control_captioned(program.find(L"About me"), L"OK");
    PostMessageW(ok, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(ok, WM_KEYUP, VK_ESCAPE, 0);
    EXPECT_TRUE(eventually([&] { return program.count(L"About me") == 0; }));
}

TEST(Program, ChangeSizeAndFastButtonPlaceTheBrowserByLeftClicksOnly)
{
    forget_settings();
    sizes_given.clear();
    const HWND browser = open_browser(L"Test page - Microsoft Internet Explorer", SW_SHOWMAXIMIZED);
    running_program program;
    ASSERT_TRUE(program.window());

    click(program.control(L"  800 X 600"));
    click(program.control(L"Change Size"));
    EXPECT_TRUE(eventually([&] { return has_size(browser, 0, 0, 800, 600); })) << describe(rect_of(browser));
    // Restored first: the size came to a window no longer maximised.
    EXPECT_TRUE(std::any_of(sizes_given.begin(), sizes_given.end(), [](const size_given& given) {
        return given.width == 800 && given.height == 600 && !given.maximised;
    }));

    click(program.control(L"Fast Button"));
    EXPECT_TRUE(eventually([&] { return stored(L"FastButton") == L"1"; }));
    // Moved away by hand, so that applying the selected 800 x 600 again
    // would show.
    SetWindowPos(browser, nullptr, 300, 200, 500, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    const std::size_t before = sizes_given.size();
    click(program.control(L"1024 X 768"), true);
    cancelled_click(program.control(L"1024 X 768"));
    // A press on the size frame (which lets clicks through to the window)
    // dragged onto an option and released there is no click on it.
    const HWND frame_option = program.control(L"1280 X 1024");
    RECT option_rect = rect_of(frame_option);
    MapWindowPoints(nullptr, program.window(), reinterpret_cast<POINT*>(&option_rect), 2);
    PostMessageW(program.window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(option_rect.left - 4, option_rect.top));
    PostMessageW(frame_option, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    click(program.control(L"1280 X 1024"));
    EXPECT_TRUE(eventually([&] { return has_size(browser, 0, 0, 1280, 1024); })) << describe(rect_of(browser));
    // Input is handled in order: had the right, the cancelled or the
    // dragged-in click resized, a size would show before the 1280 x 1024
    // one, or that one twice.
    for (std::size_t i = before; i < sizes_given.size(); ++i) {
        EXPECT_TRUE(sizes_given[i].width == 1280 && sizes_given[i].height == 1024)
            << "a right or cancelled click resized to " << sizes_given[i].width << "x" << sizes_given[i].height;
    }
    DestroyWindow(browser);
}

// The control of the program's that has the keyboard focus, or nullptr.
HWND focused_control(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

void press_key(HWND control, WPARAM key)
{
    PostMessageW(control, WM_KEYDOWN, key, 0);
    PostMessageW(control, WM_KEYUP, key, 0);
}

TEST(Program, TheKeyboardFocusIsOnAnInputControlFromStartAndAfterReactivation)
{
    forget_settings();
    running_program program;
    ASSERT_TRUE(program.window());
    HWND first = nullptr;
    EXPECT_TRUE(eventually([&] { return (first = focused_control(program.window())) != nullptr; }));
    EXPECT_TRUE(IsChild(program.window(), first));

    // Tab moves it on; another window's turn and back leave it there.
    press_key(first, VK_TAB);
    HWND second = nullptr;
    ASSERT_TRUE(eventually([&] {
        second = focused_control(program.window());
        return second && second != first;
    }));
    const HWND other = open_browser(L"Another program", SW_SHOWNORMAL);
    SetForegroundWindow(other);
    ASSERT_TRUE(eventually([&] { return GetForegroundWindow() == other; }));
    SetForegroundWindow(program.window());
    EXPECT_TRUE(eventually([&] { return focused_control(program.window()) == second; }))
        << "focus on " << focused_control(program.window()) << ", window " << program.window();
    DestroyWindow(other);

    // Enter on a focused push button presses it, as in a dialog: Tab to
    // Update List, Enter, and the list shows the browser. Windows' dialog
    // manager turns Enter in a window with no default button into IDOK;
    // Wine's makes the focused button the default first. Posted as Windows
    // sends it, so the test speaks for Windows.
    const HWND browser = open_browser(L"Keyboard page - Chromium", SW_SHOWNOACTIVATE);
    const HWND update = program.control(L"Update List");
    for (int tabs = 0; tabs < 12 && focused_control(program.window()) != update; ++tabs) {
        const HWND was = focused_control(program.window());
        press_key(was, VK_TAB);
        eventually([&] { return focused_control(program.window()) != was; });
    }
    ASSERT_EQ(focused_control(program.window()), update);
    PostMessageW(program.window(), WM_COMMAND, IDOK, 0);
    HWND list = nullptr;
    for (HWND child = GetWindow(program.window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        if (std::wstring(name) == L"ListBox") list = child;
    }
    EXPECT_TRUE(eventually([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) > 0; })) << "Enter did not update the list";
    DestroyWindow(browser);

    // In the About box, OK is the one control that takes input: Tab stays
    // on it, so Space after two Tabs presses it.
    RECT client{};
    GetClientRect(program.window(), &client);
    click(child_at(program.window(), {client.right - 60, 20}));
    HWND about = nullptr;
    ASSERT_TRUE(eventually([&] { return (about = program.find(L"About me")) != nullptr; }));
    const HWND ok = control_captioned(about, L"OK");
    EXPECT_TRUE(eventually([&] { return focused_control(about) == ok; }));
    // The styles themselves: under Wine, Tab passes over a label whatever
    // it claims, so the keys below would not show one that is a tab stop.
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        EXPECT_EQ((GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) != 0, child == ok)
            << "tab stop " << child;
    }
    press_key(ok, VK_TAB);
    press_key(ok, VK_TAB);
    press_key(ok, VK_SPACE);
    EXPECT_TRUE(eventually([&] { return program.count(L"About me") == 0; })) << "focus on " << focused_control(about);
}

TEST(Program, StoredSettingsAreReadAsTheyWereWritten)
{
    struct stored_case {
        const wchar_t* fast_button;
        const wchar_t* chinese;
        LRESULT box;
        const wchar_t* fast_button_after;
        bool chinese_title;
    };
    for (const stored_case& c : {stored_case{L"1.5", L"00", BST_INDETERMINATE, L"2", true},
                                 stored_case{L"abc", L"0", BST_UNCHECKED, L"abc", false}}) {
        forget_settings();
        store(L"FastButton", c.fast_button);
        store(L"Chinese", c.chinese);
        running_program program;
        ASSERT_TRUE(program.window());
        EXPECT_EQ(title_of(program.window()) == running_program::chinese_title, c.chinese_title) << c.chinese;
        const HWND box = program.control(c.chinese_title ? L"\u5feb\u901f\u6309\u9215" : L"Fast Button");
        ASSERT_TRUE(box);
        EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), c.box);
        EXPECT_EQ(stored(L"FastButton"), c.fast_button_after);
    }
}

// Resizes the window as the desktop does at the end of a drag of its
// border, keeping its position.
void resize_outer(HWND window, int width, int height)
{
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TEST(Program, TheWindowShrinksFreelyButGrowsNoLargerThanItsLimit)
{
    forget_settings();
    running_program program;
    ASSERT_TRUE(program.window());
    const auto outer_size_is = [&](int width, int height) {
        return eventually([&] {
            const RECT r = rect_of(program.window());
            return r.right - r.left == width && r.bottom - r.top == height;
        });
    };
    // 4950 x 3840 twips are 330 x 256 pixels at 96 dpi. The first height,
    // over 3675 twips with the frame, springs to 3840.
    EXPECT_TRUE(outer_size_is(330, 256)) << describe(rect_of(program.window()));
    resize_outer(program.window(), 270, 196);
    EXPECT_TRUE(outer_size_is(270, 196)) << describe(rect_of(program.window()));
    resize_outer(program.window(), 500, 400);
    EXPECT_TRUE(outer_size_is(330, 256)) << describe(rect_of(program.window()));
    resize_outer(program.window(), 300, 246);  // 3690 twips high: springs
    EXPECT_TRUE(outer_size_is(300, 256)) << describe(rect_of(program.window()));
}

// Run on a desktop of 144 dpi (150 %): the layout, and the limit, scale.
TEST(ScaledDesktop, TheProgramLaysItselfOutAtItsDpi)
{
    forget_settings();
    running_program program;
    ASSERT_TRUE(program.window());
    RECT client{};
    GetClientRect(program.window(), &client);
    EXPECT_EQ(client.right, 483);  // 322 wide at 96 dpi; the height springs, as at 96 dpi
    const HWND change_size = program.control(L"Change Size");
    ASSERT_TRUE(change_size);
    RECT button = rect_of(change_size);
    MapWindowPoints(nullptr, program.window(), reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ(describe(button), "348,84,470,122");  // 232,56 81 x 25 at 96 dpi
    // 4950 x 3840 twips are 495 x 384 pixels at 144 dpi.
    resize_outer(program.window(), 800, 600);
    EXPECT_TRUE(eventually([&] {
        const RECT r = rect_of(program.window());
        return r.right - r.left == 495 && r.bottom - r.top == 384;
    })) << describe(rect_of(program.window()));
}

// quenlow.exe run to its end with `arguments`, its standard output sent to
// `output` as `quenlow.exe ARGUMENTS > output` sends it, while this thread's
// windows keep answering. Its exit code, or -1 when it did not end in time.
int run_command(const std::wstring& arguments, const std::wstring& output)
{
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE file = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file;
    startup.hStdError = file;
    std::wstring command = program_command() + L" " + arguments;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &process);
    CloseHandle(file);
    if (!started) return -1;
    DWORD code = DWORD(-1);
    if (eventually([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; },
                   std::chrono::seconds(20))) {
        GetExitCodeProcess(process.hProcess, &code);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return int(code);
}

std::string file_contents(const std::wstring& path)
{
    std::string text;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    return text;
}

TEST(Program, CommandLineListsIntoARedirectedFileAndSizesByTitle)
{
    const HWND browser = open_browser(L"Example Domain \u2014 Mozilla Firefox", SW_SHOWMAXIMIZED);
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring list = std::wstring(folder) + L"quenlow-list.txt";
    EXPECT_EQ(run_command(L"--list", list), 0);
    EXPECT_NE(file_contents(list).find("Example Domain \xE2\x80\x94 Mozilla Firefox\n"), std::string::npos)
        << file_contents(list);
    EXPECT_EQ(run_command(L"--size 800x600 \"Example Domain \u2014 Mozilla Firefox\"", list), 0) << file_contents(list);
    EXPECT_TRUE(eventually([&] { return has_size(browser, 0, 0, 800, 600); })) << describe(rect_of(browser));
    EXPECT_EQ(run_command(L"--size 800x600 \"No such page - Chromium\"", list), 1);
    EXPECT_NE(file_contents(list).find("No such page - Chromium"), std::string::npos) << file_contents(list);
    DeleteFileW(list.c_str());
    DestroyWindow(browser);
}

// A stand-in for Chrome with its developer tools docked to the right:
// the page and the tools are each drawn in a child window of class
// Chrome_RenderWidgetHostHWND, below a tab strip and a toolbar, within a
// border to each side. The tools keep their width, wider than any page the
// tests ask for. Chrome names each one's document to accessibility by its
// title ("DevTools - <address>" for the tools); the standard accessible
// object of a plain window is named by the window's text, so the
// children's texts stand for those titles.
constexpr int toolbar_height = 85, side_border = 3, tools_width = 1040;

LRESULT CALLBACK chrome_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_GETMINMAXINFO) {  // with the tools, wider than the screen
        reinterpret_cast<MINMAXINFO*>(lparam)->ptMaxTrackSize = {4000, 4000};
        return 0;
    }
    if (message == WM_SIZE) {
        const HWND page = FindWindowExW(hwnd, nullptr, L"Chrome_RenderWidgetHostHWND", L"Page");
        const HWND tools = FindWindowExW(hwnd, nullptr, L"Chrome_RenderWidgetHostHWND", L"DevTools - example.com/");
        const int page_width = LOWORD(lparam) - 2 * side_border - tools_width;
        const int height = HIWORD(lparam) - toolbar_height - side_border;
        MoveWindow(page, side_border, toolbar_height, page_width, height, FALSE);
        MoveWindow(tools, side_border + page_width, toolbar_height, tools_width, height, FALSE);
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

TEST(Program, CommandLineSizesAChromiumPageExactly)
{
    WNDCLASSW frame{}, page{};
    frame.lpfnWndProc = chrome_proc;
    page.lpfnWndProc = DefWindowProcW;
    frame.hInstance = page.hInstance = GetModuleHandleW(nullptr);
    frame.lpszClassName = L"Chrome_WidgetWin_1";
    page.lpszClassName = L"Chrome_RenderWidgetHostHWND";
    RegisterClassW(&frame);
    RegisterClassW(&page);
    const HWND browser = CreateWindowExW(0, frame.lpszClassName, L"Page - Chromium", WS_OVERLAPPEDWINDOW, 300, 200,
                                         1400, 400, nullptr, nullptr, frame.hInstance, nullptr);
    const HWND page_window = CreateWindowExW(0, page.lpszClassName, L"Page", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                             browser, nullptr, page.hInstance, nullptr);
    CreateWindowExW(0, page.lpszClassName, L"DevTools - example.com/", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, browser,
                    nullptr, page.hInstance, nullptr);
    SetWindowPos(browser, nullptr, 300, 200, 1400, 401, SWP_NOZORDER);  // lays the page out
    ShowWindow(browser, SW_SHOWNORMAL);
    pump_messages();
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring output = std::wstring(folder) + L"quenlow-page.txt";
    for (const auto& [width, height] : {std::pair{1024, 768}, std::pair{800, 600}}) {
        const std::wstring size = std::to_wstring(width) + L"x" + std::to_wstring(height);
        EXPECT_EQ(run_command(L"--size " + size + L" --page \"Page - Chromium\"", output), 0) << file_contents(output);
        const RECT drawn = rect_of(page_window), outer = rect_of(browser);
        EXPECT_EQ(std::pair(int(drawn.right - drawn.left), int(drawn.bottom - drawn.top)), std::pair(width, height))
            << describe(drawn);
        EXPECT_EQ(std::pair(outer.left, outer.top), std::pair(0L, 0L)) << describe(outer);
    }
    DeleteFileW(output.c_str());
    DestroyWindow(browser);
}

// Run by the package tier against the installed copy, not by the win32 tier.
TEST(InstalledProgram, StartsAndEndsWithItsWindow)
{
    ASSERT_NE(GetEnvironmentVariableW(L"QUENLOW_PROGRAM", nullptr, 0), 0u) << "set QUENLOW_PROGRAM";
    running_program program;
    EXPECT_TRUE(program.window()) << "the installed program's window did not appear";
}

}  // namespace
}  // namespace quenlow
