#include "about_box_layout.h"

#include "app_version.h"

#include <array>

namespace quenlow {

namespace {

using k = control_kind;
using c = control;

const std::array<control_layout, 10> about_controls{{
    {c::picIcon, "picIcon", k::picture_box, {}, {16, 16, 32, 32}, 1, "", picture::program_icon},
    {c::lblTitle, "lblTitle", k::label, {}, {72, 16, 251, 16}, 3},
    {c::lblVersion, "lblVersion", k::label, {}, {70, 40, 243, 15}, 4},
    {c::Label1, "Label1", k::label, {}, {16, 72, 209, 17}, 6, "Thanks for use this program"},
    {c::lblCopyRight, "lblCopyRight", k::label, {}, {16, 88, 201, 17}, 7},
    {c::lblWebAdd, "lblWebAdd", k::link_label, {}, {16, 112, 313, 17}, 8},
    {c::lblDisclaimer, "lblDisclaimer", k::label, {}, {16, 136, 241, 15}, 2,
     "If any comment, please feel free  E-Mail to me"},
    {c::lblEMail, "lblEMail", k::link_label, {}, {16, 152, 137, 17}, 5},
    {c::lblAuthor, "lblAuthor", k::label, {}, {176, 152, 65, 17}, 9, build_info::author},
    {c::cmdOK, "cmdOK", k::command_button, {}, {272, 144, 68, 23}, 0, "OK", picture::none, true},
}};

// The etched separator under the version: a white line two pixels wide,
// then a grey one over it, both running past the right edge.
constexpr std::array<drawn_line, 2> about_lines{{
    {255, 255, 255, 2, 7, 68, 376, 68},
    {128, 128, 128, 1, 6, 67, 376, 67},
}};

}  // namespace

const form_layout& about_box_layout()
{
    static const form_layout layout{"frmAboutTavrim", 343, 179, true, "About me", about_controls, about_lines};
    return layout;
}

}  // namespace quenlow
