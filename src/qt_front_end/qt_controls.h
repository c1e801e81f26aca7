#pragma once
// The control behaviours the window toolkit's contract asks for, on top of
// Qt's widgets:
//  - check_box: a 0/1/2 state (unchecked, checked, indeterminate) that the
//    program may set to any value; a user's click only moves between the two
//    ordinary states (indeterminate goes to checked). state_changed fires on
//    every change, by the user or the program.
//  - option_button: clicked_selected fires when it becomes selected (by the
//    user or the program); mouse_up fires after the release of any mouse
//    button over it, once a left click has selected it, with the button code
//    1 left, 2 right, 4 middle.
//  - list_box: single selection, unsorted; text() is the selected entry or
//    ""; picked fires for a pick by mouse or keyboard, never for a selection
//    the program makes.
//  - image: a picture or a link with a custom pointer; clicked on a left
//    click released over it.

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

namespace quenlow {

class check_box : public QCheckBox {
    Q_OBJECT
public:
    static constexpr int unchecked = 0;
    static constexpr int checked = 1;
    static constexpr int indeterminate = 2;

    explicit check_box(QWidget* parent = nullptr);
    int value() const;
    void set_value(int value);

signals:
    void state_changed();

protected:
    void nextCheckState() override;
};

class option_button : public QRadioButton {
    Q_OBJECT
public:
    explicit option_button(QWidget* parent = nullptr);

signals:
    void clicked_selected();
    // A mouse button released over the option; a press that is released
    // elsewhere (a cancelled click) is no mouse-up of this option.
    void mouse_up(int button, int shift, int x, int y);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class list_box : public QListWidget {
    Q_OBJECT
public:
    explicit list_box(QWidget* parent = nullptr);
    QString text() const;
    // Selects the first entry equal to `text`; nothing when there is none.
    void set_text(const QString& text);

signals:
    void picked();

protected:
    // As in Windows' own list box, only the left button selects an entry:
    // a right or middle click leaves the selection, and so the pick, alone.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

class image : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The pointing hand the clickable logo and links show (hot spot at the
// fingertip).
QCursor hand_cursor();

}  // namespace quenlow
