// A native Wayland window for the wayland tier: titled as asked, shown
// normal, maximised (--maximised) or minimised (--minimised), until ended.
#include <QApplication>
#include <QWidget>

#include <cstring>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    QWidget window;
    window.setWindowTitle(QString::fromUtf8(argv[1]));
    window.resize(400, 300);
    const char* how = argc > 2 ? argv[2] : "";
    if (std::strcmp(how, "--maximised") == 0) {
        window.showMaximized();
    } else if (std::strcmp(how, "--minimised") == 0) {
        window.showMinimized();
    } else {
        window.show();
    }
    return app.exec();
}
