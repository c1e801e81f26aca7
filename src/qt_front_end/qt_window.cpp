#include "qt_window.h"

#include "qt_controls.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include <algorithm>
#include <vector>

namespace quenlow {

namespace {

QString text_of(const std::string& utf8) { return QString::fromStdString(utf8); }

// 8.25-point "MS Sans Serif" where the system has it, a close sans-serif
// otherwise; pure blue and underlined.
void style_as_link(QLabel* label)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setUnderline(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label->setPalette(palette);
}

QPixmap pixmap_of(picture shows)
{
    switch (shows) {
    case picture::banner: return QPixmap(QStringLiteral(":/quenlow/banner.png"));
    case picture::program_icon: return QPixmap(QStringLiteral(":/quenlow/quenlow-32.png"));
    case picture::none: break;
    }
    return {};
}

}  // namespace

// The top-level widget: reports its size changes and draws the layout's
// lines over its background.
class qt_window::form final : public QWidget {
public:
    form(qt_window& owner, Qt::WindowFlags flags) : QWidget(nullptr, flags), owner_(owner) {}

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        owner_.report_resize();
    }
    void showEvent(QShowEvent* event) override
    {
        QWidget::showEvent(event);
        owner_.report_resize();
    }
    // The window manager's frame, part of the outer size, becomes known only
    // once the manager has framed the window, which shows as a move.
    void moveEvent(QMoveEvent* event) override
    {
        QWidget::moveEvent(event);
        owner_.report_resize();
    }
    void paintEvent(QPaintEvent* event) override
    {
        QWidget::paintEvent(event);
        QPainter painter(this);
        for (const drawn_line& line : owner_.layout_.lines) {
            painter.setPen(QPen(QColor(line.red, line.green, line.blue), line.width, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(line.x1, line.y1, line.x2, line.y2);
        }
    }

private:
    qt_window& owner_;
};

class qt_window::list_adapter final : public list_box_control {
public:
    explicit list_adapter(const qt_window& owner) : owner_(owner) {}
    void clear() override
    {
        if (list_box* l = get()) l->clear();
    }
    void add_item(const std::string& title) override
    {
        if (list_box* l = get()) l->addItem(text_of(title));
    }
    std::string item(std::size_t index) const override
    {
        const list_box* l = get();
        const QListWidgetItem* entry = l && index < std::size_t(l->count()) ? l->item(int(index)) : nullptr;
        return entry ? entry->text().toStdString() : std::string{};
    }
    void set_text(const std::string& text) override
    {
        if (list_box* l = get()) l->set_text(text_of(text));
    }
    std::string text() const override
    {
        const list_box* l = get();
        return l ? l->text().toStdString() : std::string{};
    }
    void set_tooltip_text(const std::string& text) override
    {
        if (list_box* l = get()) l->setToolTip(text_of(text));
    }

private:
    list_box* get() const { return qobject_cast<list_box*>(owner_.control_widget(control::cb_WinList)); }
    const qt_window& owner_;
};

qt_window::qt_window(const form_layout& layout) : layout_(layout), list_(std::make_unique<list_adapter>(*this)) {}

qt_window::~qt_window() { delete window_.data(); }

list_box_control& qt_window::list() { return *list_; }

void qt_window::load()
{
    if (loaded()) return;
    const Qt::WindowFlags flags =
        layout_.tool_window
            ? Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            : Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    auto* window = new form(*this, flags);
    window_ = window;
    window->setObjectName(QLatin1String(layout_.name));
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Qt lets a tool window end with the program; this one keeps the
    // program running if the main window closes first.
    window->setAttribute(Qt::WA_QuitOnClose, true);
    window->setWindowTitle(QString::fromUtf8(layout_.fixed_caption));
    if (layout_.tool_window) {
        window->setFixedSize(layout_.client_width, layout_.client_height);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            window->move(screen->availableGeometry().center() - window->rect().center());
        }
    } else {
        window->resize(layout_.client_width, layout_.client_height);
    }
    build_controls();
}

void qt_window::build_controls()
{
    std::vector<std::pair<int, QWidget*>> tab_stops;
    for (const control_layout& entry : layout_.controls) {
        QWidget* parent = entry.frame ? control_widget(*entry.frame) : window_.data();
        QWidget* widget = nullptr;
        const QString caption = QString::fromUtf8(entry.caption);
        switch (entry.kind) {
        case control_kind::frame: widget = new QGroupBox(caption, parent); break;
        case control_kind::option_button: widget = new option_button(parent); break;
        case control_kind::check_box: widget = new check_box(parent); break;
        case control_kind::command_button: widget = new QPushButton(caption, parent); break;
        case control_kind::list_box: widget = new list_box(parent); break;
        case control_kind::label:
        case control_kind::picture_box: widget = new QLabel(caption, parent); break;
        case control_kind::link_label:
        case control_kind::image: widget = new image(caption, parent); break;
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setText(caption);
        if (auto* label = qobject_cast<QLabel*>(widget); label && entry.shows != picture::none) {
            label->setPixmap(pixmap_of(entry.shows));
        }
        if (entry.kind == control_kind::link_label) style_as_link(static_cast<QLabel*>(widget));
        if (entry.kind == control_kind::link_label || entry.kind == control_kind::image) {
            widget->setCursor(hand_cursor());
        }
        widget->setObjectName(QLatin1String(entry.name));
        widget->setGeometry(entry.at.left, entry.at.top, entry.at.width, entry.at.height);
        controls_[entry.id] = widget;
        if (entry.tab_index >= 0 && widget->focusPolicy() != Qt::NoFocus) tab_stops.emplace_back(entry.tab_index, widget);
        connect_control(entry, widget);
    }
    std::sort(tab_stops.begin(), tab_stops.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i + 1 < tab_stops.size(); ++i) {
        QWidget::setTabOrder(tab_stops[i].second, tab_stops[i + 1].second);
    }
}

void qt_window::connect_control(const control_layout& entry, QWidget* widget)
{
    const control id = entry.id;
    QObject* context = widget;
    const auto click = [this, id] {
        if (events_) events_->Click(id);
    };
    if (auto* box = qobject_cast<check_box*>(widget)) {
        QObject::connect(box, &check_box::state_changed, context, click);
    } else if (auto* option = qobject_cast<option_button*>(widget)) {
        QObject::connect(option, &option_button::clicked_selected, context, click);
        QObject::connect(option, &option_button::mouse_up, context, [this, id](int button, int shift, int x, int y) {
            if (events_) events_->MouseUp(id, button, shift, x, y);
        });
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QObject::connect(button, &QPushButton::clicked, context, click);
        if (entry.default_and_cancel) {
            // Enter and Esc press it; it has the focus when the window opens.
            for (const QKeySequence key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter),
                                           QKeySequence(Qt::Key_Escape)}) {
                QObject::connect(new QShortcut(key, window_), &QShortcut::activated, button, &QPushButton::click);
            }
            button->setFocus();
        }
    } else if (auto* list = qobject_cast<list_box*>(widget)) {
        QObject::connect(list, &list_box::picked, context, click);
    } else if (auto* clickable = qobject_cast<image*>(widget)) {
        QObject::connect(clickable, &image::clicked, context, click);
    }
}

void qt_window::show()
{
    if (!loaded()) return;
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void qt_window::unload()
{
    if (loaded()) window_->close();  // deletes it
}

window_handle qt_window::hWnd() const { return loaded() ? static_cast<window_handle>(window_->winId()) : 0; }

void qt_window::tell(const std::string& utf8)
{
    if (!loaded()) return;
    // Not modal: the window stays usable while the notice is open.
    auto* box = new QMessageBox(QMessageBox::Information, window_->windowTitle(), text_of(utf8), QMessageBox::Ok,
                                window_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void qt_window::set_window_caption(const std::string& utf8)
{
    if (loaded()) window_->setWindowTitle(text_of(utf8));
}

twips_size qt_window::outer_size() const
{
    if (!loaded()) return {};
    const QSize outer = window_->frameGeometry().size();
    return {outer.width() * twips_per_pixel, outer.height() * twips_per_pixel};
}

void qt_window::set_outer_size(twips_size size)
{
    if (!loaded()) return;
    const QSize frame = window_->frameGeometry().size() - window_->size();
    window_->resize(size.width / twips_per_pixel - frame.width(), size.height / twips_per_pixel - frame.height());
}

void qt_window::report_resize()
{
    if (!layout_.tool_window) {
        // Stops a drag at the largest size, rather than springing back after.
        const QSize frame = window_->frameGeometry().size() - window_->size();
        window_->setMaximumSize(largest_outer_size.width / twips_per_pixel - frame.width(),
                                largest_outer_size.height / twips_per_pixel - frame.height());
    }
    if (events_) events_->Resize();
}

void qt_window::set_caption(control which, const std::string& utf8)
{
    QWidget* widget = control_widget(which);
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) frame->setTitle(text_of(utf8));
    else if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setText(text_of(utf8));
    else if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(text_of(utf8));
}

int qt_window::value(control which) const
{
    QWidget* widget = control_widget(which);
    if (auto* box = qobject_cast<check_box*>(widget)) return box->value();
    if (auto* option = qobject_cast<option_button*>(widget)) return option->isChecked() ? 1 : 0;
    return 0;
}

void qt_window::set_value(control which, int value)
{
    QWidget* widget = control_widget(which);
    if (auto* box = qobject_cast<check_box*>(widget)) box->set_value(value);
    else if (auto* option = qobject_cast<option_button*>(widget); option && value != 0) option->setChecked(true);
}

QWidget* qt_window::control_widget(control which) const
{
    const auto found = controls_.find(which);
    return found == controls_.end() ? nullptr : found->second.data();
}

}  // namespace quenlow
