#include "win32_window.h"

#include "front_end_resources.h"
#include "win32_text.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <vector>

namespace quenlow {

namespace {

constexpr wchar_t window_class[] = L"QuenlowWindow";
// A control's id is its name's number past this; the default button's is IDOK.
constexpr int first_control_id = 100;
int open_windows = 0;

int control_id(const control_layout& entry)
{
    return entry.default_and_cancel ? IDOK : first_control_id + int(entry.id);
}

// Controls a user types into or clicks: the only tab stops, as in every
// dialog. Labels, links and pictures are reached with the mouse.
bool takes_input(control_kind kind)
{
    switch (kind) {
    case control_kind::option_button:
    case control_kind::check_box:
    case control_kind::command_button:
    case control_kind::list_box: return true;
    default: return false;
    }
}

// Functions of Windows 10 (1607) and later, looked up so that the program
// still starts on older systems, which get the system DPI instead.
template <class Function>
Function user32_function(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

UINT dpi_of(HWND hwnd)
{
    static const auto get_dpi_for_window = user32_function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (get_dpi_for_window) {
        if (const UINT dpi = get_dpi_for_window(hwnd)) return dpi;
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? UINT(dpi) : 96;
}

RECT outer_rect_for_client(int width, int height, DWORD style, DWORD ex_style, UINT dpi)
{
    static const auto adjust_for_dpi =
        user32_function<BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, width, height};
    if (adjust_for_dpi) {
        adjust_for_dpi(&rect, style, FALSE, ex_style, dpi);
    } else {
        AdjustWindowRectEx(&rect, style, FALSE, ex_style);
    }
    return rect;
}

// Wine links no CJK font to the dialog font, so the Chinese captions would
// show as boxes; there, a CJK family takes its place when one is installed.
bool running_under_wine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

int CALLBACK note_found(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool font_installed(const wchar_t* face)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, note_found, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

HCURSOR hand_cursor(HINSTANCE instance)
{
    static const HCURSOR hand = LoadCursorW(instance, MAKEINTRESOURCEW(QUENLOW_HAND_CURSOR));
    return hand ? hand : LoadCursorW(nullptr, IDC_HAND);
}

// The button a release is of (1 left, 2 right, 4 middle), or 0.
int released_button(UINT message)
{
    switch (message) {
    case WM_LBUTTONUP: return 1;
    case WM_RBUTTONUP: return 2;
    case WM_MBUTTONUP: return 4;
    default: return 0;
    }
}

// The button a press is of, or 0. A double-click's second press counts as
// a press where `double_click_presses`: an option takes it as a click, a
// link as nothing more than the first click.
int pressed_button(UINT message, bool double_click_presses)
{
    switch (message) {
    case WM_LBUTTONDOWN: return 1;
    case WM_RBUTTONDOWN: return 2;
    case WM_MBUTTONDOWN: return 4;
    case WM_LBUTTONDBLCLK: return double_click_presses ? 1 : 0;
    case WM_RBUTTONDBLCLK: return double_click_presses ? 2 : 0;
    case WM_MBUTTONDBLCLK: return double_click_presses ? 4 : 0;
    default: return 0;
    }
}

}  // namespace

class win32_window::list_adapter final : public list_box_control {
public:
    explicit list_adapter(const win32_window& owner) : owner_(owner) {}
    void clear() override { send(LB_RESETCONTENT, 0, 0); }
    void add_item(const std::string& title) override
    {
        const std::wstring text = wide(title);
        send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    std::string item(std::size_t index) const override
    {
        const LRESULT length = send(LB_GETTEXTLEN, index, 0);
        if (length == LB_ERR || length < 0) return {};
        std::wstring text(std::size_t(length) + 1, L'\0');
        const LRESULT copied = send(LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        if (copied == LB_ERR || copied < 0) return {};
        text.resize(std::min(std::size_t(copied), std::size_t(length)));
        return utf8(text);
    }
    void set_text(const std::string& text) override
    {
        if (!text.empty()) {
            const LRESULT count = send(LB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < count; ++i) {
                if (item(std::size_t(i)) == text) {
                    send(LB_SETCURSEL, WPARAM(i), 0);
                    return;
                }
            }
        }
        send(LB_SETCURSEL, WPARAM(-1), 0);
    }
    std::string text() const override
    {
        const LRESULT selected = send(LB_GETCURSEL, 0, 0);
        return selected == LB_ERR ? std::string{} : item(std::size_t(selected));
    }
    void set_tooltip_text(const std::string& text) override
    {
        if (!owner_.tooltip_) return;
        std::wstring wide_text = wide(text);
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = owner_.hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(owner_.child(control::cb_WinList));
        tool.lpszText = wide_text.data();
        SendMessageW(owner_.tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }

private:
    LRESULT send(UINT message, WPARAM wparam, LPARAM lparam) const
    {
        const HWND list = owner_.child(control::cb_WinList);
        return list ? SendMessageW(list, message, wparam, lparam) : LB_ERR;
    }
    const win32_window& owner_;
};

win32_window::win32_window(const form_layout& layout, HINSTANCE instance)
    : layout_(layout), instance_(instance), list_(std::make_unique<list_adapter>(*this))
{
}

win32_window::~win32_window()
{
    if (hwnd_) DestroyWindow(hwnd_);
    for (HGDIOBJ object : {HGDIOBJ(font_), HGDIOBJ(link_font_), HGDIOBJ(banner_)}) {
        if (object) DeleteObject(object);
    }
    if (icon_) DestroyIcon(icon_);
}

list_box_control& win32_window::list() { return *list_; }

void win32_window::load()
{
    if (hwnd_) return;
    static const bool registered = [this] {
        WNDCLASSEXW window{};
        window.cbSize = sizeof(window);
        window.lpfnWndProc = window_proc;
        window.hInstance = instance_;
        window.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
        window.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
        window.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        window.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        window.lpszClassName = window_class;
        return RegisterClassExW(&window) != 0;
    }();
    if (!registered) return;

    const DWORD style = layout_.tool_window
                            ? WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU
                            : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME;
    const DWORD ex_style = WS_EX_CONTROLPARENT | (layout_.tool_window ? WS_EX_TOOLWINDOW : 0);
    CreateWindowExW(ex_style, window_class, wide(layout_.fixed_caption).c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                    layout_.client_width, layout_.client_height, nullptr, nullptr, instance_, this);
    if (!hwnd_) return;
    ++open_windows;
    dpi_ = dpi_of(hwnd_);
    const RECT outer =
        outer_rect_for_client(scaled(layout_.client_width), scaled(layout_.client_height), style, ex_style, dpi_);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    if (layout_.tool_window) {
        // Centred on the work area of the monitor it opens on.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& work = monitor.rcWork;
        SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
                     work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    create_controls();
    lay_out();
}

void win32_window::create_controls()
{
    // In tab order, which is the creation order; the frames last, so that
    // they lie under the options they hold (the first child made is the top
    // one) and a click on an option never lands on its frame.
    std::vector<const control_layout*> order;
    for (const control_layout& entry : layout_.controls) order.push_back(&entry);
    const auto rank = [](const control_layout* entry) {
        if (entry->kind == control_kind::frame) return 2000;
        return entry->tab_index >= 0 ? entry->tab_index : 1000;
    };
    std::stable_sort(order.begin(), order.end(), [&](auto* a, auto* b) { return rank(a) < rank(b); });

    for (const control_layout* entry : order) {
        const wchar_t* kind_class = WC_BUTTONW;
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD ex_style = 0;
        const bool first_of_group =
            entry->kind != control_kind::option_button ||
            std::none_of(layout_.controls.begin(), layout_.controls.end(), [&](const control_layout& other) {
                return other.kind == control_kind::option_button && other.frame == entry->frame &&
                       other.tab_index < entry->tab_index;
            });
        if (first_of_group) style |= WS_GROUP;
        if (entry->tab_index >= 0 && first_of_group && takes_input(entry->kind)) style |= WS_TABSTOP;
        switch (entry->kind) {
        case control_kind::frame: style |= BS_GROUPBOX; break;
        case control_kind::option_button: style |= BS_RADIOBUTTON; break;
        case control_kind::check_box: style |= BS_3STATE; break;
        case control_kind::command_button: style |= entry->default_and_cancel ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON; break;
        case control_kind::label: kind_class = WC_STATICW, style |= SS_LEFT | SS_NOPREFIX; break;
        case control_kind::link_label: kind_class = WC_STATICW, style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY; break;
        case control_kind::image: kind_class = WC_STATICW, style |= SS_BITMAP | SS_REALSIZECONTROL | SS_NOTIFY; break;
        case control_kind::picture_box: kind_class = WC_STATICW, style |= SS_ICON | SS_REALSIZECONTROL; break;
        case control_kind::list_box:
            kind_class = WC_LISTBOXW, style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
            ex_style |= WS_EX_CLIENTEDGE;
            break;
        }
        const int id = control_id(*entry);
        const HWND created = CreateWindowExW(ex_style, kind_class, wide(entry->caption).c_str(), style, 0, 0, 0, 0,
                                             hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
        if (!created) continue;
        controls_[entry->id] = created;
        SetWindowSubclass(created, control_proc, UINT_PTR(id), reinterpret_cast<DWORD_PTR>(this));
    }
    if (const HWND list = child(control::cb_WinList)) {
        // Owned by no window: Wine puts an owner below its owned popups, so a
        // tooltip owned by the window would keep it from being topmost.
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                   instance_, nullptr);
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(list);
        wchar_t empty[] = L"";
        tool.lpszText = empty;
        if (tooltip_) SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void win32_window::make_fonts()
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    static const auto metrics_for_dpi =
        user32_function<BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT)>("SystemParametersInfoForDpi");
    LOGFONTW face{};
    if (metrics_for_dpi && metrics_for_dpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi_)) {
        face = metrics.lfMessageFont;
    } else {
        face.lfHeight = -MulDiv(8, int(dpi_), 72);
        lstrcpynW(face.lfFaceName, L"MS Shell Dlg 2", LF_FACESIZE);
    }
    if (running_under_wine() && font_installed(L"Noto Sans CJK TC")) {
        lstrcpynW(face.lfFaceName, L"Noto Sans CJK TC", LF_FACESIZE);
    }
    // The links: 8.25-point "MS Sans Serif", underlined.
    LOGFONTW link{};
    link.lfHeight = -MulDiv(825, int(dpi_), 7200);
    link.lfUnderline = TRUE;
    link.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(link.lfFaceName, L"MS Sans Serif", LF_FACESIZE);

    font_ = CreateFontIndirectW(&face);
    link_font_ = CreateFontIndirectW(&link);
}

void win32_window::lay_out()
{
    // The controls keep drawing with the old fonts until they have the new
    // ones: only then are the old ones deleted.
    const HFONT old_fonts[] = {font_, link_font_};
    make_fonts();
    if (banner_) DeleteObject(banner_);
    banner_ = static_cast<HBITMAP>(LoadImageW(instance_, MAKEINTRESOURCEW(QUENLOW_BANNER_BITMAP), IMAGE_BITMAP, 0, 0, 0));
    if (icon_) DestroyIcon(icon_);
    icon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, scaled(32), scaled(32), 0));

    for (const control_layout& entry : layout_.controls) {
        const HWND control_window = child(entry.id);
        if (!control_window) continue;
        int left = entry.at.left, top = entry.at.top;
        if (entry.frame) {
            const control_layout& frame = layout_of(layout_, *entry.frame);
            left += frame.at.left;
            top += frame.at.top;
        }
        if (entry.kind == control_kind::image) {
            SendMessageW(control_window, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner_));
        } else if (entry.kind == control_kind::picture_box) {
            SendMessageW(control_window, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
        }
        MoveWindow(control_window, scaled(left), scaled(top), scaled(entry.at.width), scaled(entry.at.height), TRUE);
        SendMessageW(control_window, WM_SETFONT,
                     reinterpret_cast<WPARAM>(entry.kind == control_kind::link_label ? link_font_ : font_), TRUE);
    }
    for (HFONT old : old_fonts) {
        if (old) DeleteObject(old);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void win32_window::show()
{
    if (!hwnd_) return;
    ShowWindow(hwnd_, IsWindowVisible(hwnd_) ? SW_SHOWNORMAL : SW_SHOW);
    SetForegroundWindow(hwnd_);
    if (events_) events_->Resize();
}

void win32_window::unload()
{
    if (hwnd_) DestroyWindow(hwnd_);
}

window_handle win32_window::hWnd() const
{
    return static_cast<window_handle>(reinterpret_cast<std::uintptr_t>(hwnd_));
}

// The system's message box, modal to the window.
void win32_window::tell(const std::string& utf8_text)
{
    if (!hwnd_) return;
    std::wstring title(static_cast<std::size_t>(GetWindowTextLengthW(hwnd_)) + 1, L'\0');
    title.resize(static_cast<std::size_t>(GetWindowTextW(hwnd_, title.data(), static_cast<int>(title.size()))));
    MessageBoxW(hwnd_, wide(utf8_text).c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
}

void win32_window::set_window_caption(const std::string& utf8_text)
{
    if (hwnd_) SetWindowTextW(hwnd_, wide(utf8_text).c_str());
}

twips_size win32_window::outer_size() const
{
    RECT outer{};
    if (!hwnd_ || !GetWindowRect(hwnd_, &outer)) return {};
    return {MulDiv(outer.right - outer.left, twips_per_inch, int(dpi_)),
            MulDiv(outer.bottom - outer.top, twips_per_inch, int(dpi_))};
}

void win32_window::set_outer_size(twips_size size)
{
    if (!hwnd_) return;
    SetWindowPos(hwnd_, nullptr, 0, 0, MulDiv(size.width, int(dpi_), twips_per_inch),
                 MulDiv(size.height, int(dpi_), twips_per_inch), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void win32_window::set_caption(control which, const std::string& utf8_text)
{
    if (const HWND control_window = child(which)) SetWindowTextW(control_window, wide(utf8_text).c_str());
}

int win32_window::value(control which) const
{
    const HWND control_window = child(which);
    if (!control_window) return 0;
    // BST_UNCHECKED, BST_CHECKED and BST_INDETERMINATE are 0, 1 and 2.
    return int(SendMessageW(control_window, BM_GETCHECK, 0, 0));
}

void win32_window::set_value(control which, int wanted)
{
    const HWND control_window = child(which);
    if (!control_window) return;
    const control_layout& entry = layout_of(layout_, which);
    if (entry.kind == control_kind::check_box) {
        if (value(which) == wanted) return;
        SendMessageW(control_window, BM_SETCHECK, WPARAM(wanted), 0);
        report_click(which);
    } else if (entry.kind == control_kind::option_button && wanted != 0) {
        if (value(which) == BST_CHECKED) return;
        for (const control_layout& other : layout_.controls) {
            if (other.kind == control_kind::option_button && other.frame == entry.frame && other.id != which) {
                if (const HWND sibling = child(other.id)) SendMessageW(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
            }
        }
        SendMessageW(control_window, BM_SETCHECK, BST_CHECKED, 0);
        report_click(which);
    }
}

bool win32_window::dialog_message(MSG& message)
{
    return hwnd_ && (message.hwnd == hwnd_ || IsChild(hwnd_, message.hwnd)) && IsDialogMessageW(hwnd_, &message);
}

LRESULT CALLBACK win32_window::window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<win32_window*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<win32_window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->on_message(message, wparam, lparam) : DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT win32_window::on_message(UINT message, WPARAM wparam, LPARAM lparam)
{
    const HWND hwnd = hwnd_;
    switch (message) {
    case WM_COMMAND:
        on_command(LOWORD(wparam), HIWORD(wparam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        pressed_control_ = nullptr;  // a press on the background or a frame
        break;
    case WM_ACTIVATE:
        // What a dialog does: the focused control is kept while another
        // window is active and given the focus back after.
        if (LOWORD(wparam) == WA_INACTIVE) {
            if (const HWND focused = GetFocus(); focused && IsChild(hwnd, focused)) saved_focus_ = focused;
            pressed_control_ = nullptr;
        } else if (!HIWORD(wparam)) {
            focus_saved_control();
        }
        return 0;
    case WM_SETFOCUS:
        focus_saved_control();
        return 0;
    case WM_GETMINMAXINFO:
        if (!layout_.tool_window) {
            // A drag stops at the largest size instead of springing back.
            auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
            limits->ptMaxTrackSize = {MulDiv(largest_outer_size.width, int(dpi_), twips_per_inch),
                                      MulDiv(largest_outer_size.height, int(dpi_), twips_per_inch)};
            return 0;
        }
        break;
    case WM_SIZE:
        if (wparam != SIZE_MINIMIZED && events_ && !controls_.empty()) events_->Resize();
        return 0;
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wparam);
        const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        lay_out();
        return 0;
    }
    case WM_CTLCOLORSTATIC: {
        const HWND from = reinterpret_cast<HWND>(lparam);
        for (const control_layout& entry : layout_.controls) {
            if (entry.kind == control_kind::link_label && child(entry.id) == from) {
                HDC dc = reinterpret_cast<HDC>(wparam);
                SetTextColor(dc, RGB(0, 0, 255));
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
        }
        break;
    }
    case WM_PAINT:
        paint();
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        if (tooltip_) DestroyWindow(tooltip_);  // it has no owner to take it along
        tooltip_ = nullptr;
        break;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        controls_.clear();
        pressed_control_ = saved_focus_ = nullptr;
        if (--open_windows == 0) PostQuitMessage(0);
        break;
    default: break;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

void win32_window::focus_saved_control()
{
    if (!saved_focus_ || !IsWindow(saved_focus_) || !IsChild(hwnd_, saved_focus_)) {
        saved_focus_ = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    }
    if (saved_focus_) SetFocus(saved_focus_);
}

void win32_window::paint()
{
    PAINTSTRUCT paint_info;
    HDC dc = BeginPaint(hwnd_, &paint_info);
    for (const drawn_line& line : layout_.lines) {
        HPEN pen = CreatePen(PS_SOLID, scaled(line.width), RGB(line.red, line.green, line.blue));
        const HGDIOBJ before = SelectObject(dc, pen);
        MoveToEx(dc, scaled(line.x1), scaled(line.y1), nullptr);
        LineTo(dc, scaled(line.x2), scaled(line.y2));
        SelectObject(dc, before);
        DeleteObject(pen);
    }
    EndPaint(hwnd_, &paint_info);
}

void win32_window::on_command(int id, int code)
{
    // Enter and Esc arrive as IDOK and IDCANCEL from the dialog keys. A
    // window with no default button gets IDOK for Enter on any control:
    // on a focused push button, Enter presses it, as in a dialog.
    if (id == IDOK || id == IDCANCEL) {
        const HWND focus = GetFocus();
        for (const control_layout& entry : layout_.controls) {
            if (id == IDOK && entry.kind == control_kind::command_button && !entry.default_and_cancel &&
                focus != nullptr && child(entry.id) == focus) {
                report_click(entry.id);
                return;
            }
        }
        for (const control_layout& entry : layout_.controls) {
            if (entry.default_and_cancel) report_click(entry.id);
        }
        return;
    }
    const control_layout* entry = layout_by_id(id);
    if (!entry) return;
    switch (entry->kind) {
    case control_kind::check_box:
        // A user's click moves between the two ordinary states.
        if (code == BN_CLICKED) set_value(entry->id, value(entry->id) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        break;
    case control_kind::option_button:
        if (code == BN_CLICKED) set_value(entry->id, 1);
        break;
    case control_kind::command_button:
        if (code == BN_CLICKED) report_click(entry->id);
        break;
    case control_kind::list_box:
        // Only the left button and the keyboard select in a list box.
        if (code == LBN_SELCHANGE) report_click(entry->id);
        break;
    default: break;  // images and links report on release, below
    }
}

LRESULT CALLBACK win32_window::control_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                            DWORD_PTR self)
{
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, control_proc, UINT_PTR(GetDlgCtrlID(hwnd)));
    return reinterpret_cast<win32_window*>(self)->on_control_message(hwnd, message, wparam, lparam);
}

LRESULT win32_window::on_control_message(HWND child_window, UINT message, WPARAM wparam, LPARAM lparam)
{
    const control_layout* entry = layout_by_id(GetDlgCtrlID(child_window));
    if (!entry) return DefSubclassProc(child_window, message, wparam, lparam);
    const bool clickable = entry->kind == control_kind::image || entry->kind == control_kind::link_label;
    if (message == WM_SETCURSOR && clickable) {
        SetCursor(hand_cursor(instance_));
        return TRUE;
    }
    if (message == WM_CAPTURECHANGED && child_window == pressed_control_) pressed_control_ = nullptr;
    if (const int button = pressed_button(message, !clickable)) {
        pressed_control_ = child_window;
        pressed_button_ = button;
        const LRESULT result = DefSubclassProc(child_window, message, wparam, lparam);
        // A picture or a link takes no capture of its own: with it, the
        // release comes back here wherever it happens.
        if (clickable) SetCapture(child_window);
        return result;
    }
    const int button = released_button(message);
    if (button == 0) return DefSubclassProc(child_window, message, wparam, lparam);

    // Only a release of the button pressed on this same control is a click:
    // a press on the frame, the background or another control, or a
    // double-click's second release over a link, is none.
    const bool pressed_here = pressed_control_ == child_window && pressed_button_ == button;
    if (pressed_here) pressed_control_ = nullptr;
    // The control acts first: a left release over an option selects it.
    const LRESULT result = DefSubclassProc(child_window, message, wparam, lparam);
    if (clickable && GetCapture() == child_window) ReleaseCapture();
    if (!pressed_here) return result;
    const POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    RECT inside{};
    GetClientRect(child_window, &inside);
    if (!PtInRect(&inside, at)) return result;  // a cancelled click
    if (entry->kind == control_kind::option_button && events_) {
        int shift = 0;
        if (wparam & MK_SHIFT) shift |= 1;
        if (wparam & MK_CONTROL) shift |= 2;
        if (GetKeyState(VK_MENU) < 0) shift |= 4;
        events_->MouseUp(entry->id, button, shift, MulDiv(at.x, twips_per_inch, int(dpi_)),
                         MulDiv(at.y, twips_per_inch, int(dpi_)));
    } else if (clickable && button == 1) {
        report_click(entry->id);
    }
    return result;
}

const control_layout* win32_window::layout_by_id(int id) const
{
    if (id == IDOK) {
        for (const control_layout& entry : layout_.controls) {
            if (entry.default_and_cancel) return &entry;
        }
        return nullptr;
    }
    for (const control_layout& entry : layout_.controls) {
        if (control_id(entry) == id) return &entry;
    }
    return nullptr;
}

HWND win32_window::child(control which) const
{
    const auto found = controls_.find(which);
    return found == controls_.end() ? nullptr : found->second;
}

void win32_window::report_click(control which)
{
    if (events_) events_->Click(which);
}

}  // namespace quenlow
