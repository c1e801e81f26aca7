#pragma once
// A window of the program held in memory: what the logic set on it (title,
// captions, values, list entries, tooltip, size) can be read back, and a
// test acts as the user does (clicks, releases, picks, drags) through the
// same reports a real toolkit sends. Check boxes and option buttons report
// Click on every change as the window_toolkit contract says.

#include "form_layout.h"
#include "window_toolkit.h"

#include <map>
#include <string>
#include <vector>

namespace quenlow::testing {

class memory_toolkit final : public window_toolkit {
public:
    explicit memory_toolkit(const form_layout& layout, window_handle handle) : layout_(layout), handle_(handle) {}

    // The toolkit.
    void attach(window_events& events) override { events_ = &events; }
    bool loaded() const override { return loaded_; }
    void load() override;
    void show() override { ++shows_; }
    void unload() override { loaded_ = false; }
    window_handle hWnd() const override { return loaded_ ? handle_ : 0; }
    void set_window_caption(const std::string& utf8) override { title_ = utf8; }
    twips_size outer_size() const override { return outer_; }
    void set_outer_size(twips_size size) override;
    void set_caption(control which, const std::string& utf8) override { captions_[which] = utf8; }
    int value(control which) const override;
    void set_value(control which, int value) override;
    list_box_control& list() override { return list_; }
    void tell(const std::string& utf8) override { told_.push_back(utf8); }

    // What the logic left.
    int loads() const { return loads_; }
    int shows() const { return shows_; }
    const std::string& title() const { return title_; }
    std::string caption(control which) const;
    const std::vector<std::string>& entries() const { return list_.entries; }
    const std::string& tooltip() const { return list_.tooltip; }
    const std::vector<std::string>& told() const { return told_; }

    // The user. A left click on an option selects it, then reports its
    // mouse-up; release() is a mouse-up of another button, which selects
    // nothing; a cancelled click reports nothing at all, so has no call.
    void click(control which);
    void release(control which, int button);
    void pick(std::size_t entry);
    void drag_to(twips_size outer);

private:
    struct list_state final : list_box_control {
        void clear() override { entries.clear(), selected = -1; }
        void add_item(const std::string& title) override { entries.push_back(title); }
        std::string item(std::size_t index) const override { return index < entries.size() ? entries[index] : ""; }
        void set_text(const std::string& text) override;
        std::string text() const override { return selected >= 0 ? entries[std::size_t(selected)] : ""; }
        void set_tooltip_text(const std::string& text) override { tooltip = text; }
        std::vector<std::string> entries;
        int selected = -1;
        std::string tooltip;
    };
    void report_click(control which);

    const form_layout& layout_;
    window_handle handle_;
    window_events* events_ = nullptr;
    std::vector<std::string> told_;
    bool loaded_ = false;
    int loads_ = 0;
    int shows_ = 0;
    std::string title_;
    twips_size outer_;
    std::map<control, std::string> captions_;
    std::map<control, int> values_;
    list_state list_;
};

}  // namespace quenlow::testing
