#include "frmAboutTavrim.h"

#include "application_info.h"
#include "window_toolkit.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QUrl>

namespace quenlow {

namespace {

QString text_of(const std::string& utf8) { return QString::fromStdString(utf8); }

// 8.25-point "MS Sans Serif" where the system has it, a close sans-serif
// otherwise; pure blue and underlined.
void make_link(QLabel* label)
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
    label->setCursor(hand_cursor());
}

// Hands an address to the user's default program; whatever goes wrong is
// ignored, as nothing is shown for it.
void open_quietly(const QString& address) { (void)QDesktopServices::openUrl(QUrl(address)); }

// A clickable label: runs `handler` on a left click.
class link_filter : public QObject {
public:
    link_filter(QObject* parent, std::function<void()> handler) : QObject(parent), handler_(std::move(handler)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            handler_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> handler_;
};

}  // namespace

frmAboutTavrim::frmAboutTavrim(window_system& windows)
    : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      windows_(windows),
      Line1{{{QColor(255, 255, 255), 2, {7, 68}, {376, 68}}, {QColor(128, 128, 128), 1, {6, 67}, {376, 67}}}}
{
    setObjectName(QStringLiteral("frmAboutTavrim"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A tool window does not keep the program alive by default; this one
    // does, so closing the main window first leaves it open.
    setAttribute(Qt::WA_QuitOnClose, true);
    setWindowTitle(QStringLiteral("About me"));
    setFixedSize(343, 179);  // 5145 x 2685 twips
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    build_controls();
    windows_.hide_from_taskbar(static_cast<window_handle>(winId()));
    Form_Load();
}

void frmAboutTavrim::build_controls()
{
    const auto label = [this](const char* name, QRect geometry, const QString& text = {}) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(geometry);
        return l;
    };
    picIcon = label("picIcon", {16, 16, 32, 32});
    picIcon->setPixmap(QPixmap(QStringLiteral(":/quenlow/quenlow-32.png")));
    lblTitle = label("lblTitle", {72, 16, 251, 16});
    lblVersion = label("lblVersion", {70, 40, 243, 15});
    Label1 = label("Label1", {16, 72, 209, 17}, QStringLiteral("Thanks for use this program"));
    lblCopyRight = label("lblCopyRight", {16, 88, 201, 17});
    lblWebAdd = label("lblWebAdd", {16, 112, 313, 17});
    lblDisclaimer = label("lblDisclaimer", {16, 136, 241, 15},
                          QStringLiteral("If any comment, please feel free  E-Mail to me"));
    lblEMail = label("lblEMail", {16, 152, 137, 17});
    lblAuthor = label("lblAuthor", {176, 152, 65, 17}, text_of(current_application().author));
    make_link(lblWebAdd);
    make_link(lblEMail);
    lblWebAdd->installEventFilter(new link_filter(this, [this] { lblWebAdd_Click(); }));
    lblEMail->installEventFilter(new link_filter(this, [this] { lblEMail_Click(); }));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(272, 144, 68, 23);
    cmdOK->setDefault(true);  // Enter presses it
    cmdOK->setFocus();
    connect(cmdOK, &QPushButton::clicked, this, &frmAboutTavrim::cmdOK_Click);
}

void frmAboutTavrim::Form_Load()
{
    const application_info& app = current_application();
    lblVersion->setText(QStringLiteral("Version ") + text_of(version_text(app.version)));
    lblTitle->setText(text_of(app.title));
    lblCopyRight->setText(text_of(app.legal_copyright));
    lblWebAdd->setText(text_of(app.web_address));
    lblEMail->setText(text_of(app.email_address));
    windows_.set_topmost(static_cast<window_handle>(winId()), true);
}

void frmAboutTavrim::lblWebAdd_Click() { open_quietly(text_of(current_application().web_address)); }

void frmAboutTavrim::lblEMail_Click()
{
    open_quietly(QStringLiteral("mailto:") + text_of(current_application().email_address));
}

// Esc and the close box reach QDialog::reject(), which closes it the same way.
void frmAboutTavrim::cmdOK_Click() { close(); }

void frmAboutTavrim::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    for (const line& l : Line1) {  // white first, so the grey line stays on top
        painter.setPen(QPen(l.colour, l.width, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(l.from, l.to);
    }
}

}  // namespace quenlow
