// The program's window on Qt: the entry point the launcher calls once it
// knows a window is wanted. Built as a module of its own, so that a command
// from the shell loads none of Qt.
#include "Form_Tavrim.h"
#include "font_warm_up.h"
#include "about_box_layout.h"
#include "form_layout.h"
#include "frmAboutTavrim.h"
#include "qt_link_opener.h"
#include "qt_settings_store.h"
#include "qt_window.h"
#include "window_system_for_platform.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

#include <string>

#ifdef QUENLOW_HAS_XLIB
#include <X11/Xlib.h>
#endif

namespace {

// The display Qt is on, which -display or QT_QPA_PLATFORM may have chosen
// over $DISPLAY; "" when Qt is not on X11.
std::string toolkit_x11_display([[maybe_unused]] QGuiApplication& app)
{
#ifdef QUENLOW_HAS_XLIB
    if (const auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>()) {
        if (Display* display = x11->display()) return XDisplayString(display);
    }
#endif
    return {};
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int quenlow_window_main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // Started only now: QApplication sets the locale, which no other thread
    // may do while fontconfig's parser reads numbers.
    quenlow::font_warm_up fonts;
    // The sizes a title bar, a task bar and a window switcher ask for; the
    // desktop file names the larger theme icons launchers use. Every size
    // given here is decoded before the window first shows.
    QIcon icon;
    for (int size : {16, 32, 48}) icon.addFile(QStringLiteral(":/quenlow/quenlow-%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.mobrell.Quenlow"));
    // The window's controls are laid out for a compact 8-point interface
    // font; a CJK family shows the Chinese captions where it is installed.
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Noto Sans CJK TC"), font.family()});
    font.setPointSize(8);
    QApplication::setFont(font);

    const auto windows =
        quenlow::window_system_for_platform(QGuiApplication::platformName().toStdString(), toolkit_x11_display(app));
    quenlow::qt_settings_store settings;
    quenlow::qt_link_opener links;
    quenlow::qt_window about_window(quenlow::about_box_layout());
    quenlow::frmAboutTavrim about(about_window, *windows, links);
    quenlow::qt_window main_window(quenlow::main_window_layout());
    quenlow::Form_Tavrim form(main_window, *windows, settings, about);
    // Building the window lays out its first caption.
    fonts.wait();
    form.show();
    return app.exec();
}
