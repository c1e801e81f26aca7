#include "form_layout.h"

#include "resize_command.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace quenlow {

namespace {

using k = control_kind;
using c = control;

constexpr std::array<control_layout, 14> main_controls{{
    {c::Fm_Size, "Fm_Size", k::frame, {}, {8, 8, 105, 145}, 0},
    {c::Op_640, "Op_640", k::option_button, c::Fm_Size, {8, 24, 89, 17}, 3, size_presets[0].caption.data()},
    {c::Op_800, "Op_800", k::option_button, c::Fm_Size, {8, 53, 89, 17}, 4, size_presets[1].caption.data()},
    {c::Op_1024, "Op_1024", k::option_button, c::Fm_Size, {8, 83, 89, 17}, 5, size_presets[2].caption.data()},
    {c::Op_1280, "Op_1280", k::option_button, c::Fm_Size, {8, 112, 89, 17}, 6, size_presets[3].caption.data()},
    {c::Img_Logo, "Img_Logo", k::image, {}, {120, 8, 196, 38}, -1, "", picture::banner},
    {c::Chk_top, "Chk_top", k::check_box, {}, {128, 60, 97, 17}, 7},
    {c::Com_Manual, "Com_Manual", k::command_button, {}, {232, 56, 81, 25}, 8},
    {c::fm_language, "fm_language", k::frame, {}, {120, 88, 105, 65}, 12},
    {c::op_Chinese, "op_Chinese", k::option_button, c::fm_language, {8, 16, 89, 17}, 1},
    {c::op_English, "op_English", k::option_button, c::fm_language, {8, 40, 89, 17}, 2},
    {c::Chk_Auto, "Chk_Auto", k::check_box, {}, {232, 96, 89, 25}, 9},
    {c::Com_Update, "Com_Update", k::command_button, {}, {232, 128, 81, 25}, 10},
    {c::cb_WinList, "cb_WinList", k::list_box, {}, {8, 160, 305, 52}, 11},
}};

}  // namespace

const form_layout& main_window_layout()
{
    static const form_layout layout{"Form_Tavrim", 322, 222, false, "", main_controls, {}};
    return layout;
}

const control_layout& layout_of(const form_layout& form, control which)
{
    const auto found = std::find_if(form.controls.begin(), form.controls.end(),
                                    [which](const control_layout& entry) { return entry.id == which; });
    if (found == form.controls.end()) throw std::logic_error("control not in this window's layout");
    return *found;
}

}  // namespace quenlow
