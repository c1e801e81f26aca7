#include "memory_toolkit.h"

namespace quenlow::testing {

namespace {
// The frame a window manager adds around the client area, in twips.
constexpr twips_size frame{2 * 4 * twips_per_pixel, (4 + 23) * twips_per_pixel};
}  // namespace

void memory_toolkit::load()
{
    loaded_ = true;
    ++loads_;
    title_ = layout_.fixed_caption;
    outer_ = {layout_.client_width * twips_per_pixel + frame.width,
              layout_.client_height * twips_per_pixel + frame.height};
    captions_.clear();
    values_.clear();
    list_ = {};
    for (const control_layout& entry : layout_.controls) captions_[entry.id] = entry.caption;
}

void memory_toolkit::set_outer_size(twips_size size)
{
    outer_ = size;
    if (events_) events_->Resize();
}

std::string memory_toolkit::caption(control which) const
{
    const auto found = captions_.find(which);
    return found == captions_.end() ? "" : found->second;
}

int memory_toolkit::value(control which) const
{
    const auto found = values_.find(which);
    return found == values_.end() ? 0 : found->second;
}

void memory_toolkit::set_value(control which, int value)
{
    const control_layout& entry = layout_of(layout_, which);
    if (entry.kind == control_kind::check_box) {
        if (values_[which] == value) return;
        values_[which] = value;
        report_click(which);
    } else if (entry.kind == control_kind::option_button && value != 0) {
        if (values_[which] != 0) return;
        for (const control_layout& other : layout_.controls) {
            if (other.kind == control_kind::option_button && other.frame == entry.frame) values_[other.id] = 0;
        }
        values_[which] = 1;
        report_click(which);
    }
}

void memory_toolkit::click(control which)
{
    switch (layout_of(layout_, which).kind) {
    case control_kind::check_box: set_value(which, value(which) == checked ? unchecked : checked); break;
    case control_kind::option_button:
        set_value(which, 1);
        if (events_) events_->MouseUp(which, 1, 0, 5, 5);
        break;
    default: report_click(which); break;
    }
}

void memory_toolkit::release(control which, int button)
{
    if (events_) events_->MouseUp(which, button, 0, 5, 5);
}

void memory_toolkit::pick(std::size_t entry)
{
    list_.selected = int(entry);
    report_click(control::cb_WinList);
}

void memory_toolkit::drag_to(twips_size outer)
{
    outer_ = outer;
    if (events_) events_->Resize();
}

void memory_toolkit::report_click(control which)
{
    if (events_) events_->Click(which);
}

void memory_toolkit::list_state::set_text(const std::string& text)
{
    selected = -1;
    for (std::size_t i = 0; i < entries.size() && !text.empty(); ++i) {
        if (entries[i] == text) {
            selected = int(i);
            return;
        }
    }
}

}  // namespace quenlow::testing
