#pragma once
// The program's working window: pick a browser window and a size, and
// resize it. Handlers carry the names of the control and the event; each is
// a few lines over the browser list, the resize command, the settings store
// and the caption table.
//
// The constructor runs the start-up sequence (Form_Load) before the window
// is first shown, so title, captions, check states, topmost state and the
// list are right from the first paint.

#include "captions.h"
#include "window_system.h"
#include "window_toolkit.h"

#include <QGroupBox>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <array>

namespace quenlow {

class settings_store;
class frmAboutTavrim;

class Form_Tavrim : public QWidget {
    Q_OBJECT
public:
    Form_Tavrim(window_system& windows, settings_store& settings, QWidget* parent = nullptr);

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

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void build_controls();
    void connect_handlers();
    void apply_language(caption_language language);
    void fast_apply_on_release(int button);
    window_handle own_handle();

    window_system& windows_;
    settings_store& settings_;
    // The About box while it is open; it owns itself.
    QPointer<frmAboutTavrim> about_;

    QGroupBox* Fm_Size = nullptr;
    std::array<option_button*, 4> size_options_{};
    option_button*& Op_640 = size_options_[0];
    option_button*& Op_800 = size_options_[1];
    option_button*& Op_1024 = size_options_[2];
    option_button*& Op_1280 = size_options_[3];
    image* Img_Logo = nullptr;
    check_box* Chk_top = nullptr;
    QPushButton* Com_Manual = nullptr;
    QGroupBox* fm_language = nullptr;
    option_button* op_Chinese = nullptr;
    option_button* op_English = nullptr;
    check_box* Chk_Auto = nullptr;
    QPushButton* Com_Update = nullptr;
    list_box* cb_WinList = nullptr;
    bool limiting_size_ = false;
};

}  // namespace quenlow
