#include "app_version.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QString::fromUtf8(quenlow::build_info::title));
    window.resize(322, 222);
    window.show();
    return app.exec();
}
