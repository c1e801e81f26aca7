// A native Wayland window for the wayland and sway tiers: titled as asked,
// shown normal, maximised (--maximised), minimised (--minimised) or full
// screen (--fullscreen), until ended. With --report FILE it writes its own
// size there ("WIDTHxHEIGHT") each time the compositor gives it one.
#include <QApplication>
#include <QFile>
#include <QResizeEvent>
#include <QWidget>

#include <cstring>

namespace {

class reporting_window : public QWidget {
public:
    explicit reporting_window(QString report) : report_(std::move(report)) {}

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (report_.isEmpty()) return;
        QFile file(report_ + QStringLiteral(".tmp"));
        if (!file.open(QIODevice::WriteOnly)) return;
        file.write(QStringLiteral("%1x%2").arg(event->size().width()).arg(event->size().height()).toUtf8());
        file.close();
        QFile::remove(report_);
        file.rename(report_);
    }

private:
    QString report_;
};

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    const char* how = "";
    QString report;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--report") == 0 && i + 1 < argc) report = QString::fromLocal8Bit(argv[++i]);
        else how = argv[i];
    }
    reporting_window window(report);
    window.setWindowTitle(QString::fromUtf8(argv[1]));
    window.resize(400, 300);
    if (std::strcmp(how, "--maximised") == 0) {
        window.showMaximized();
    } else if (std::strcmp(how, "--minimised") == 0) {
        window.showMinimized();
    } else if (std::strcmp(how, "--fullscreen") == 0) {
        window.showFullScreen();
    } else {
        window.show();
    }
    return app.exec();
}
