#pragma once
// The About box: title, version, copyright and two links that hand an
// address to the user's default web browser or mail program. A small tool
// window of its own (no owner, no taskbar entry, topmost, centred), shown
// without blocking the main window; OK, Enter, Esc and the close box destroy
// it. It keeps the program running if the main window closes first.

#include "window_system.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include <array>

namespace quenlow {

class frmAboutTavrim : public QDialog {
    Q_OBJECT
public:
    explicit frmAboutTavrim(window_system& windows);

    void Form_Load();
    void lblWebAdd_Click();
    void lblEMail_Click();
    void cmdOK_Click();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void build_controls();

    window_system& windows_;
    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblCopyRight = nullptr;
    QLabel* lblWebAdd = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QLabel* lblEMail = nullptr;
    QLabel* lblAuthor = nullptr;
    QPushButton* cmdOK = nullptr;

    // The etched separator under the version: a grey line over a white one.
    struct line {
        QColor colour;
        int width;  // pixels
        QPoint from, to;
    };
    std::array<line, 2> Line1;
};

}  // namespace quenlow
