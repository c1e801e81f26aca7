#pragma once
// What the window logic asks of a toolkit window, and what a toolkit tells
// it back. A front-end implements window_toolkit once per top-level window
// (built from that window's form_layout) and reports the user's actions
// through window_events; the logic never sees a widget.
//
// What the logic relies on:
//  - load() builds the window and its controls hidden; show() shows it
//    without an owner and without blocking, or brings it forward when it is
//    already shown; unload() destroys it, and loaded() then says false, as
//    it does after the user closed the window.
//  - set_value() on a check box (0 unchecked, 1 checked, 2 indeterminate)
//    reports Click when the value changes; on an option button (1 selects
//    it, clearing the others of its frame) it reports Click when the option
//    becomes selected. The report runs to completion before set_value
//    returns. A user's click on a check box moves between the two ordinary
//    states (indeterminate goes to checked) and reports Click the same way.
//  - MouseUp is reported for a mouse button released over a size option
//    (1 left, 2 right, 4 middle), after a left click has selected it; a press
//    released elsewhere is no mouse-up.
//  - The list box reports Click when the user picks an entry with the left
//    button or the keyboard, never for a selection the program makes.
//  - Command buttons, links and the logo report Click on a user's click.
//  - Sizes are twips: 1/1440 inch, 15 to a pixel at 96 dots per inch.

#include "browser_list.h"
#include "size_limit.h"
#include "window_system.h"

#include <string>

namespace quenlow {

// Every control of the two windows, by the name the logic knows it by.
enum class control {
    // Main window.
    Fm_Size, Op_640, Op_800, Op_1024, Op_1280, Img_Logo, Chk_top, Com_Manual,
    fm_language, op_Chinese, op_English, Chk_Auto, Com_Update, cb_WinList,
    // About box.
    picIcon, lblTitle, lblVersion, Label1, lblCopyRight, lblWebAdd, lblDisclaimer, lblEMail, lblAuthor, cmdOK,
};

// Check box values.
inline constexpr int unchecked = 0;
inline constexpr int checked = 1;
inline constexpr int indeterminate = 2;

class window_events {
public:
    virtual ~window_events() = default;
    virtual void Click(control which) = 0;
    virtual void MouseUp(control which, int button, int shift, int x, int y) = 0;
    // After every change of the window's size, the first showing included.
    virtual void Resize() = 0;
};

// The list box: the browser list's sink, plus what the window reads back.
class list_box_control : public window_list_sink {
public:
    // The selected entry's text; "" when none is selected.
    virtual std::string text() const = 0;
    virtual void set_tooltip_text(const std::string& text) = 0;
};

class window_toolkit {
public:
    virtual ~window_toolkit() = default;

    // Where the user's actions go; set once, before load().
    virtual void attach(window_events& events) = 0;

    virtual bool loaded() const = 0;
    virtual void load() = 0;
    virtual void show() = 0;
    virtual void unload() = 0;
    // The handle the window system knows the window by; valid once loaded.
    virtual window_handle hWnd() const = 0;
    virtual void set_window_caption(const std::string& utf8) = 0;
    virtual twips_size outer_size() const = 0;
    virtual void set_outer_size(twips_size size) = 0;

    virtual void set_caption(control which, const std::string& utf8) = 0;
    // Check box: 0, 1 or 2. Option button: 1 when selected, else 0.
    virtual int value(control which) const = 0;
    virtual void set_value(control which, int value) = 0;
    virtual list_box_control& list() = 0;
    // Shows a short notice over the window, which the user closes.
    virtual void tell(const std::string& utf8) = 0;
};

}  // namespace quenlow
