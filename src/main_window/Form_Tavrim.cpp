#include "Form_Tavrim.h"

#include "application_info.h"
#include "frmAboutTavrim.h"
#include "browser_list.h"
#include "resize_command.h"
#include "settings_store.h"
#include "size_limit.h"
#include "stored_values.h"

#include <QPixmap>
#include <QResizeEvent>

namespace quenlow {

namespace {

QString text_of(const char* utf8) { return QString::fromUtf8(utf8); }

// The list box as the browser list's sink.
class list_box_sink final : public window_list_sink {
public:
    explicit list_box_sink(list_box& list) : list_(list) {}
    void clear() override { list_.clear(); }
    void add_item(const std::string& title) override { list_.addItem(QString::fromStdString(title)); }
    std::string item(std::size_t index) const override
    {
        const QListWidgetItem* entry = index < std::size_t(list_.count()) ? list_.item(int(index)) : nullptr;
        return entry ? entry->text().toStdString() : std::string{};
    }
    void set_text(const std::string& text) override { list_.set_text(QString::fromStdString(text)); }

private:
    list_box& list_;
};

}  // namespace

Form_Tavrim::Form_Tavrim(window_system& windows, settings_store& settings, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      windows_(windows), settings_(settings)
{
    setObjectName(QStringLiteral("Form_Tavrim"));
    resize(322, 222);  // client area, 4830 x 3330 twips
    build_controls();
    connect_handlers();
    Form_Load();
}

void Form_Tavrim::build_controls()
{
    const auto named = [](QWidget* widget, const char* name, QRect geometry) {
        widget->setObjectName(QLatin1String(name));
        widget->setGeometry(geometry);
    };

    Fm_Size = new QGroupBox(this);
    named(Fm_Size, "Fm_Size", {8, 8, 105, 145});
    const std::array<const char*, 4> size_names{"Op_640", "Op_800", "Op_1024", "Op_1280"};
    const std::array<int, 4> size_tops{24, 53, 83, 112};
    for (std::size_t i = 0; i < size_options_.size(); ++i) {
        size_options_[i] = new option_button(Fm_Size);
        named(size_options_[i], size_names[i], {8, size_tops[i], 89, 17});
        size_options_[i]->setText(QString::fromUtf8(size_presets[i].caption.data(),
                                                    qsizetype(size_presets[i].caption.size())));
    }

    Img_Logo = new image(this);
    named(Img_Logo, "Img_Logo", {120, 8, 196, 38});
    Img_Logo->setPixmap(QPixmap(QStringLiteral(":/quenlow/banner.png")));
    Img_Logo->setCursor(hand_cursor());

    Chk_top = new check_box(this);
    named(Chk_top, "Chk_top", {128, 60, 97, 17});
    Com_Manual = new QPushButton(this);
    named(Com_Manual, "Com_Manual", {232, 56, 81, 25});

    fm_language = new QGroupBox(this);
    named(fm_language, "fm_language", {120, 88, 105, 65});
    op_Chinese = new option_button(fm_language);
    named(op_Chinese, "op_Chinese", {8, 16, 89, 17});
    op_English = new option_button(fm_language);
    named(op_English, "op_English", {8, 40, 89, 17});

    Chk_Auto = new check_box(this);
    named(Chk_Auto, "Chk_Auto", {232, 96, 89, 25});
    Com_Update = new QPushButton(this);
    named(Com_Update, "Com_Update", {232, 128, 81, 25});

    cb_WinList = new list_box(this);
    named(cb_WinList, "cb_WinList", {8, 160, 305, 52});

    // Keyboard order follows the design's tab indexes.
    const std::array<QWidget*, 11> tab_order{op_Chinese, op_English, Op_640,  Op_800,     Op_1024,  Op_1280,
                                             Chk_top,    Com_Manual, Chk_Auto, Com_Update, cb_WinList};
    for (std::size_t i = 0; i + 1 < tab_order.size(); ++i) setTabOrder(tab_order[i], tab_order[i + 1]);
}

void Form_Tavrim::connect_handlers()
{
    connect(Img_Logo, &image::clicked, this, &Form_Tavrim::Img_Logo_Click);
    connect(Chk_top, &check_box::state_changed, this, &Form_Tavrim::Chk_top_Click);
    connect(Chk_Auto, &check_box::state_changed, this, &Form_Tavrim::Chk_Auto_Click);
    connect(Op_640, &option_button::mouse_up, this, &Form_Tavrim::Op_640_MouseUp);
    connect(Op_800, &option_button::mouse_up, this, &Form_Tavrim::Op_800_MouseUp);
    connect(Op_1024, &option_button::mouse_up, this, &Form_Tavrim::Op_1024_MouseUp);
    connect(Op_1280, &option_button::mouse_up, this, &Form_Tavrim::Op_1280_MouseUp);
    connect(op_Chinese, &option_button::clicked_selected, this, &Form_Tavrim::op_Chinese_Click);
    connect(op_English, &option_button::clicked_selected, this, &Form_Tavrim::op_English_Click);
    connect(Com_Update, &QPushButton::clicked, this, &Form_Tavrim::Com_Update_Click);
    connect(cb_WinList, &list_box::picked, this, &Form_Tavrim::cb_WinList_Click);
    connect(Com_Manual, &QPushButton::clicked, this, &Form_Tavrim::Com_Manual_Click);
}

window_handle Form_Tavrim::own_handle() { return static_cast<window_handle>(winId()); }

void Form_Tavrim::Form_Load()
{
    const QString stored_fast_button = settings_.read(fast_button_key);
    const QString stored_chinese = settings_.read(chinese_key);
    Chk_Auto->set_value(fast_button_state_from_text(stored_fast_button.toStdString()));
    if (chinese_from_text(stored_chinese.toStdString())) {
        op_Chinese->setChecked(true);
    } else {
        op_English->setChecked(true);
    }
    Chk_top->set_value(check_box::indeterminate);
    Op_640->setChecked(true);
    Com_Update_Click();
}

void Form_Tavrim::Form_Resize()
{
    // Outer size in twips; the frame is whatever the window manager adds.
    const QSize outer = frameGeometry().size();
    const QSize frame = outer - size();
    const twips_size limited =
        limited_outer_size({outer.width() * twips_per_pixel, outer.height() * twips_per_pixel});
    setMaximumSize(4950 / twips_per_pixel - frame.width(), 3840 / twips_per_pixel - frame.height());
    const QSize wanted(limited.width / twips_per_pixel - frame.width(),
                       limited.height / twips_per_pixel - frame.height());
    if (wanted != size()) resize(wanted);
}

void Form_Tavrim::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form_Tavrim::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Form_Resize();
}

// The window manager's frame, part of the outer size, becomes known only
// once the manager has framed the window, which shows as a move.
void Form_Tavrim::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    Form_Resize();
}

void Form_Tavrim::Img_Logo_Click()
{
    if (!about_) about_ = new frmAboutTavrim(windows_);  // loads once, when built
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void Form_Tavrim::Chk_top_Click()
{
    windows_.set_topmost(own_handle(), Chk_top->value() != check_box::unchecked);
}

void Form_Tavrim::Chk_Auto_Click()
{
    settings_.write(fast_button_key, QString::fromStdString(fast_button_text(Chk_Auto->value())));
}

void Form_Tavrim::fast_apply_on_release(int button)
{
    if (applies_on_release(button, Chk_Auto->value())) Com_Manual_Click();
}

void Form_Tavrim::Op_640_MouseUp(int button, int, int, int) { fast_apply_on_release(button); }
void Form_Tavrim::Op_800_MouseUp(int button, int, int, int) { fast_apply_on_release(button); }
void Form_Tavrim::Op_1024_MouseUp(int button, int, int, int) { fast_apply_on_release(button); }
void Form_Tavrim::Op_1280_MouseUp(int button, int, int, int) { fast_apply_on_release(button); }

void Form_Tavrim::op_Chinese_Click() { apply_language(caption_language::chinese); }
void Form_Tavrim::op_English_Click() { apply_language(caption_language::english); }

void Form_Tavrim::apply_language(caption_language language)
{
    setWindowTitle(QString::fromStdString(window_title(language, current_application().version)));
    const caption_set& captions = captions_for(language);
    Fm_Size->setTitle(text_of(captions.size_frame));
    Chk_top->setText(text_of(captions.always_on_top));
    Com_Manual->setText(text_of(captions.change_size));
    Chk_Auto->setText(text_of(captions.fast_button));
    Com_Update->setText(text_of(captions.update_list));
    op_Chinese->setText(text_of(captions.chinese_option));
    op_English->setText(text_of(captions.english_option));
    settings_.write(chinese_key, text_of(captions.stored_value));
}

void Form_Tavrim::Com_Update_Click()
{
    list_box_sink sink(*cb_WinList);
    refresh_browser_list(windows_, sink);
}

void Form_Tavrim::cb_WinList_Click()
{
    cb_WinList->setToolTip(cb_WinList->text());
    if (fast_mode_on(Chk_Auto->value())) Com_Manual_Click();
}

void Form_Tavrim::Com_Manual_Click()
{
    const window_size size = chosen_size(
        {Op_640->isChecked(), Op_800->isChecked(), Op_1024->isChecked(), Op_1280->isChecked()});
    resize_window_titled(windows_, cb_WinList->text().toStdString(), size);
}

}  // namespace quenlow
