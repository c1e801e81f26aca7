// The floor for start-up measurements: a bare Qt Widgets window, built the
// same way as the program, with nothing in it.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(322, 222);
    window.show();
    return app.exec();
}
