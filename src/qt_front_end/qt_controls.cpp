#include "qt_controls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>

namespace quenlow {

check_box::check_box(QWidget* parent) : QCheckBox(parent)
{
    connect(this, &QCheckBox::stateChanged, this, &check_box::state_changed);
}

int check_box::value() const
{
    switch (checkState()) {
    case Qt::Checked: return checked;
    case Qt::PartiallyChecked: return indeterminate;
    default: return unchecked;
    }
}

void check_box::set_value(int value)
{
    setCheckState(value == checked         ? Qt::Checked
                  : value == indeterminate ? Qt::PartiallyChecked
                                           : Qt::Unchecked);
}

void check_box::nextCheckState()
{
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

option_button::option_button(QWidget* parent) : QRadioButton(parent)
{
    connect(this, &QRadioButton::toggled, this, [this](bool on) {
        if (on) emit clicked_selected();
    });
}

void option_button::mouseReleaseEvent(QMouseEvent* event)
{
    QRadioButton::mouseReleaseEvent(event);  // a left click selects the option first
    if (!rect().contains(event->position().toPoint())) return;
    int button = 0;
    switch (event->button()) {
    case Qt::LeftButton: button = 1; break;
    case Qt::RightButton: button = 2; break;
    case Qt::MiddleButton: button = 4; break;
    default: return;
    }
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier) shift |= 1;
    if (event->modifiers() & Qt::ControlModifier) shift |= 2;
    if (event->modifiers() & Qt::AltModifier) shift |= 4;
    const QPoint at = event->position().toPoint();
    emit mouse_up(button, shift, at.x(), at.y());
}

list_box::list_box(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
}

QString list_box::text() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text();
}

void list_box::set_text(const QString& text)
{
    for (int row = 0; row < count(); ++row) {
        if (item(row)->text() == text) {
            setCurrentRow(row);
            return;
        }
    }
    clearSelection();
}

void list_box::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) QListWidget::mousePressEvent(event);
}

void list_box::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton) QListWidget::mouseMoveEvent(event);
}

void list_box::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) QListWidget::mouseDoubleClickEvent(event);
}

void list_box::mouseReleaseEvent(QMouseEvent* event)
{
    QListWidget::mouseReleaseEvent(event);
    const QListWidgetItem* under = itemAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && under && under->isSelected()) emit picked();
}

void list_box::keyPressEvent(QKeyEvent* event)
{
    const int before = currentRow();
    const bool was_selected = currentItem() && currentItem()->isSelected();
    QListWidget::keyPressEvent(event);
    const bool selected = currentItem() && currentItem()->isSelected();
    if (selected && (currentRow() != before || !was_selected)) emit picked();
}

void image::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

QCursor hand_cursor()
{
    return QCursor(QPixmap(QStringLiteral(":/quenlow/hand.png")), 10, 8);
}

}  // namespace quenlow
