// A reference for start-up measurements: the bare window with one push
// button showing a caption, which is the least a window with text costs
// (the toolkit loads the font configuration and a font for it).
#include <QApplication>
#include <QPushButton>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(322, 222);
    QPushButton button(QStringLiteral("Update List"), &window);
    window.show();
    return app.exec();
}
