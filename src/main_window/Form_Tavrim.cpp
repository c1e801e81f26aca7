#include "Form_Tavrim.h"

#include "application_info.h"
#include "browser_list.h"
#include "resize_command.h"
#include "settings_store.h"
#include "setup_advice.h"
#include "size_limit.h"
#include "stored_values.h"

namespace quenlow {

Form_Tavrim::Form_Tavrim(window_toolkit& ui, window_system& windows, settings_store& settings, about_box& about)
    : ui_(ui), windows_(windows), settings_(settings), about_(about)
{
    ui_.attach(*this);
}

void Form_Tavrim::show()
{
    const bool first = !ui_.loaded();
    if (first) {
        ui_.load();
        Form_Load();
    }
    ui_.show();
    if (!first) return;
    // Where the list will stay empty, the user is told why, once.
    const caption_language language =
        ui_.value(control::op_Chinese) != 0 ? caption_language::chinese : caption_language::english;
    std::string advice = unreachable_advice(windows_, language);
    if (advice.empty()) advice = setup_advice(windows_.pending_setup(), language);
    if (!advice.empty()) ui_.tell(advice);
}

void Form_Tavrim::Click(control which)
{
    switch (which) {
    case control::Img_Logo: Img_Logo_Click(); break;
    case control::Chk_top: Chk_top_Click(); break;
    case control::Chk_Auto: Chk_Auto_Click(); break;
    case control::op_Chinese: op_Chinese_Click(); break;
    case control::op_English: op_English_Click(); break;
    case control::Com_Update: Com_Update_Click(); break;
    case control::cb_WinList: cb_WinList_Click(); break;
    case control::Com_Manual: Com_Manual_Click(); break;
    default: break;  // the size options act on mouse-up only
    }
}

void Form_Tavrim::MouseUp(control which, int button, int shift, int x, int y)
{
    switch (which) {
    case control::Op_640: Op_640_MouseUp(button, shift, x, y); break;
    case control::Op_800: Op_800_MouseUp(button, shift, x, y); break;
    case control::Op_1024: Op_1024_MouseUp(button, shift, x, y); break;
    case control::Op_1280: Op_1280_MouseUp(button, shift, x, y); break;
    default: break;
    }
}

void Form_Tavrim::Resize() { Form_Resize(); }

void Form_Tavrim::Form_Load()
{
    const std::string stored_fast_button = settings_.read(fast_button_key);
    const std::string stored_chinese = settings_.read(chinese_key);
    ui_.set_value(control::Chk_Auto, fast_button_state_from_text(stored_fast_button));
    ui_.set_value(chinese_from_text(stored_chinese) ? control::op_Chinese : control::op_English, 1);
    ui_.set_value(control::Chk_top, indeterminate);
    ui_.set_value(control::Op_640, 1);
    Com_Update_Click();
}

void Form_Tavrim::Form_Resize()
{
    const twips_size outer = ui_.outer_size();
    const twips_size limited = limited_outer_size(outer);
    if (limited != outer) ui_.set_outer_size(limited);
}

void Form_Tavrim::Img_Logo_Click() { about_.show(); }

void Form_Tavrim::Chk_top_Click() { windows_.set_topmost(ui_.hWnd(), ui_.value(control::Chk_top) != unchecked); }

void Form_Tavrim::Chk_Auto_Click()
{
    settings_.write(fast_button_key, fast_button_text(ui_.value(control::Chk_Auto)));
}

void Form_Tavrim::fast_apply_on_release(int button)
{
    if (applies_on_release(button, ui_.value(control::Chk_Auto))) Com_Manual_Click();
}

void Form_Tavrim::Op_640_MouseUp(int button, int, int, int) { fast_apply_on_release(button); }
void Form_Tavrim::Op_800_MouseUp(int button, int, int, int) { fast_apply_on_release(button); }
void Form_Tavrim::Op_1024_MouseUp(int button, int, int, int) { fast_apply_on_release(button); }
void Form_Tavrim::Op_1280_MouseUp(int button, int, int, int) { fast_apply_on_release(button); }

void Form_Tavrim::op_Chinese_Click() { apply_language(caption_language::chinese); }
void Form_Tavrim::op_English_Click() { apply_language(caption_language::english); }

void Form_Tavrim::apply_language(caption_language language)
{
    ui_.set_window_caption(window_title(language, current_application().version));
    const caption_set& captions = captions_for(language);
    ui_.set_caption(control::Fm_Size, captions.size_frame);
    ui_.set_caption(control::Chk_top, captions.always_on_top);
    ui_.set_caption(control::Com_Manual, captions.change_size);
    ui_.set_caption(control::Chk_Auto, captions.fast_button);
    ui_.set_caption(control::Com_Update, captions.update_list);
    ui_.set_caption(control::op_Chinese, captions.chinese_option);
    ui_.set_caption(control::op_English, captions.english_option);
    settings_.write(chinese_key, captions.stored_value);
}

void Form_Tavrim::Com_Update_Click()
{
    const user_action action(windows_);
    refresh_browser_list(windows_, ui_.list());
    // The tooltip shows the selected title in full; after a refresh the one
    // it showed may be gone.
    ui_.list().set_tooltip_text(ui_.list().text());
}

void Form_Tavrim::cb_WinList_Click()
{
    ui_.list().set_tooltip_text(ui_.list().text());
    if (fast_mode_on(ui_.value(control::Chk_Auto))) Com_Manual_Click();
}

void Form_Tavrim::Com_Manual_Click()
{
    const window_size size =
        chosen_size({ui_.value(control::Op_640) != 0, ui_.value(control::Op_800) != 0,
                     ui_.value(control::Op_1024) != 0, ui_.value(control::Op_1280) != 0});
    const user_action action(windows_);
    resize_window_titled(windows_, ui_.list().text(), size);
}

}  // namespace quenlow
