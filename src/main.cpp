#include "Form_Tavrim.h"
#include "font_warm_up.h"
#include "settings_store.h"
#include "window_system_for_platform.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

int main(int argc, char* argv[])
{
    quenlow::font_warm_up fonts;
    QApplication app(argc, argv);
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

    const auto windows = quenlow::window_system_for_platform(QGuiApplication::platformName().toStdString());
    quenlow::settings_store settings;
    // Building the window lays out its first caption.
    fonts.wait();
    quenlow::Form_Tavrim main_window(*windows, settings);
    main_window.show();
    return app.exec();
}
