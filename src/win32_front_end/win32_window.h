#pragma once
// A window of the program as standard Windows controls (user32, comctl32),
// built from its form_layout: the native implementation of window_toolkit.
//
// Positions are the layout's 96-dpi pixels scaled by the window's own DPI,
// and laid out again when the window moves to a monitor of another scale.
// Option buttons and check boxes are the non-automatic kinds, so every
// change of their state goes through set_value and reports Click exactly
// once. The program ends when its last window is destroyed.

#include "form_layout.h"
#include "window_toolkit.h"

#include <windows.h>

#include <map>
#include <memory>

namespace quenlow {

class win32_window final : public window_toolkit {
public:
    win32_window(const form_layout& layout, HINSTANCE instance);
    ~win32_window() override;
    win32_window(const win32_window&) = delete;
    win32_window& operator=(const win32_window&) = delete;

    void attach(window_events& events) override { events_ = &events; }
    bool loaded() const override { return hwnd_ != nullptr; }
    void load() override;
    void show() override;
    void unload() override;
    window_handle hWnd() const override;
    void set_window_caption(const std::string& utf8) override;
    twips_size outer_size() const override;
    void set_outer_size(twips_size size) override;
    void set_caption(control which, const std::string& utf8) override;
    int value(control which) const override;
    void set_value(control which, int value) override;
    list_box_control& list() override;
    void tell(const std::string& utf8) override;

    // Tab, arrows, Enter and Esc for this window's controls; true when
    // `message` was one of them and has been handled.
    bool dialog_message(MSG& message);

private:
    class list_adapter;
    static LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK control_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                         DWORD_PTR self);
    LRESULT on_message(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT on_control_message(HWND child, UINT message, WPARAM wparam, LPARAM lparam);
    void on_command(int id, int code);
    void create_controls();
    void lay_out();
    void make_fonts();
    void paint();
    int scaled(int pixels) const { return MulDiv(pixels, int(dpi_), 96); }
    const control_layout* layout_by_id(int id) const;
    HWND child(control which) const;
    void report_click(control which);
    // Gives the focus back to the control that had it, or to the first tab
    // stop.
    void focus_saved_control();

    const form_layout& layout_;
    HINSTANCE instance_;
    window_events* events_ = nullptr;
    HWND hwnd_ = nullptr;
    UINT dpi_ = 96;
    std::map<control, HWND> controls_;
    HWND tooltip_ = nullptr;
    HFONT font_ = nullptr;
    HFONT link_font_ = nullptr;
    HBITMAP banner_ = nullptr;
    HICON icon_ = nullptr;
    std::unique_ptr<list_adapter> list_;
    // The control a mouse button was pressed on, and which button: a
    // release counts only there.
    HWND pressed_control_ = nullptr;
    int pressed_button_ = 0;
    HWND saved_focus_ = nullptr;  // the focused control while the window is inactive
};

}  // namespace quenlow
