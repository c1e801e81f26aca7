#include "frmAboutTavrim.h"

#include "application_info.h"
#include "link_opener.h"

namespace quenlow {

frmAboutTavrim::frmAboutTavrim(window_toolkit& ui, window_system& windows, link_opener& links)
    : ui_(ui), windows_(windows), links_(links)
{
    ui_.attach(*this);
}

void frmAboutTavrim::show()
{
    if (!ui_.loaded()) {
        ui_.load();
        // A tool window has no taskbar button; some X11 desktops need telling.
        windows_.hide_from_taskbar(ui_.hWnd());
        Form_Load();
    }
    ui_.show();
}

void frmAboutTavrim::Click(control which)
{
    switch (which) {
    case control::lblWebAdd: lblWebAdd_Click(); break;
    case control::lblEMail: lblEMail_Click(); break;
    case control::cmdOK: cmdOK_Click(); break;
    default: break;
    }
}

void frmAboutTavrim::Form_Load()
{
    const application_info& app = current_application();
    ui_.set_caption(control::lblVersion, "Version " + version_text(app.version));
    ui_.set_caption(control::lblTitle, app.title);
    ui_.set_caption(control::lblCopyRight, app.legal_copyright);
    ui_.set_caption(control::lblWebAdd, app.web_address);
    ui_.set_caption(control::lblEMail, app.email_address);
    windows_.set_topmost(ui_.hWnd(), true);
}

void frmAboutTavrim::lblWebAdd_Click() { links_.open(current_application().web_address); }

void frmAboutTavrim::lblEMail_Click() { links_.open("mailto:" + current_application().email_address); }

void frmAboutTavrim::cmdOK_Click() { ui_.unload(); }

}  // namespace quenlow
