#pragma once
// The program's working window: pick a browser window and a size, and
// resize it. Handlers carry the names of the control and the event; each is
// a few lines over the browser list, the resize command, the settings store
// and the caption table. The window itself is the toolkit's.

#include "about_box.h"
#include "captions.h"
#include "window_system.h"
#include "window_toolkit.h"

namespace quenlow {

class settings_store;

class Form_Tavrim final : public window_events {
public:
    Form_Tavrim(window_toolkit& ui, window_system& windows, settings_store& settings, about_box& about);

    // Builds the window and runs Form_Load the first time, then shows it, so
    // title, captions, check states, topmost state and the list are right
    // from the first paint. The first time, it also says (in the language
    // chosen) what the user must do before the desktop lists anything.
    void show();

    // Handlers.
    void Form_Load();
    void Form_Resize();
    void Img_Logo_Click();
    void Chk_top_Click();
    void Chk_Auto_Click();
    void Op_640_MouseUp(int button, int shift, int x, int y);
    void Op_800_MouseUp(int button, int shift, int x, int y);
    void Op_1024_MouseUp(int button, int shift, int x, int y);
    void Op_1280_MouseUp(int button, int shift, int x, int y);
    void op_Chinese_Click();
    void op_English_Click();
    void Com_Update_Click();
    void cb_WinList_Click();
    void Com_Manual_Click();

    // The toolkit's reports, sent on to the handlers above.
    void Click(control which) override;
    void MouseUp(control which, int button, int shift, int x, int y) override;
    void Resize() override;

private:
    void apply_language(caption_language language);
    void fast_apply_on_release(int button);

    window_toolkit& ui_;
    window_system& windows_;
    settings_store& settings_;
    about_box& about_;
};

}  // namespace quenlow
