#pragma once
// The About box: title, version, copyright and two links. Built on its first
// showing, filled and put on top by Form_Load; shown again unchanged while
// it is open; OK (or Enter, Esc, the close box) destroys it, and the next
// showing builds it anew. It lives apart from the main window.

#include "about_box.h"
#include "window_system.h"
#include "window_toolkit.h"

namespace quenlow {

class link_opener;

class frmAboutTavrim final : public window_events, public about_box {
public:
    frmAboutTavrim(window_toolkit& ui, window_system& windows, link_opener& links);

    void show() override;

    void Form_Load();
    void lblWebAdd_Click();
    void lblEMail_Click();
    void cmdOK_Click();

    void Click(control which) override;
    void MouseUp(control, int, int, int, int) override {}
    void Resize() override {}

private:
    window_toolkit& ui_;
    window_system& windows_;
    link_opener& links_;
};

}  // namespace quenlow
