// The About box as Qt widgets on the offscreen platform: opened from the
// main window's logo, its texts, links and styles, and how it closes.
#include "qt_controls.h"
#include "qt_program.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>

using namespace quenlow;
using quenlow::testing::qt_program;

// Receives the addresses handed to the user's default programs.
class url_recorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

class AboutBoxTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void logoOpensOneBoxShownAgainUnchanged();
    void layoutAndTextsMatchTheDesign();
    void linksHandTheExactAddressesToTheShell();
    void aFailingShellRequestChangesNothing();
    void enterEscAndOkCloseAndTheNextClickBuildsItAnew();
    void linksAreBlueUnderlinedAndPointed();

private:
    QWidget* open_about();
    static QList<QWidget*> open_boxes();
    template <class T>
    static T* control(QWidget* parent, const char* name)
    {
        T* widget = parent->findChild<T*>(QLatin1String(name));
        if (!widget) qFatal("no control named %s", name);
        return widget;
    }

    std::unique_ptr<qt_program> program;
    fake_window_system* desktop = nullptr;
};

void AboutBoxTest::init()
{
    program = std::make_unique<qt_program>();
    desktop = &program->desktop;
    QVERIFY(QTest::qWaitForWindowExposed(program->window()));
}

void AboutBoxTest::cleanup() { program.reset(); }

QList<QWidget*> AboutBoxTest::open_boxes()
{
    QList<QWidget*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("frmAboutTavrim")) boxes.push_back(widget);
    }
    return boxes;
}

QWidget* AboutBoxTest::open_about()
{
    QTest::mouseClick(control<image>(program->window(), "Img_Logo"), Qt::LeftButton);
    const auto boxes = open_boxes();
    return boxes.size() == 1 ? boxes.front() : nullptr;
}

void AboutBoxTest::logoOpensOneBoxShownAgainUnchanged()
{
    QWidget* first = open_about();
    QVERIFY(first);
    QVERIFY(first->isVisible());
    QCOMPARE(first->windowModality(), Qt::NonModal);
    QVERIFY(first->parentWidget() == nullptr);
    control<QLabel>(first, "lblTitle")->setText(QStringLiteral("changed since load"));
    desktop->forget_calls();

    QCOMPARE(open_about(), first);
    QCOMPARE(control<QLabel>(first, "lblTitle")->text(), QStringLiteral("changed since load"));
    QVERIFY(desktop->calls().empty());  // load did not run again
}

void AboutBoxTest::layoutAndTextsMatchTheDesign()
{
    QWidget* box = open_about();
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), QStringLiteral("About me"));
    QCOMPARE(box->size(), QSize(343, 179));
    QVERIFY(control<QLabel>(box, "lblCopyRight")->text().startsWith(QStringLiteral("Copyright")));
    QCOMPARE(control<QLabel>(box, "lblWebAdd")->text(), QStringLiteral("https://quenlow.mobrell.example/"));
    QCOMPARE(control<QLabel>(box, "lblEMail")->text(), QStringLiteral("quenlow@mobrell.example"));
    QCOMPARE(control<QLabel>(box, "Label1")->text(), QStringLiteral("Thanks for use this program"));
    QCOMPARE(control<QLabel>(box, "lblDisclaimer")->text(),
             QStringLiteral("If any comment, please feel free  E-Mail to me"));
    QCOMPARE(control<QLabel>(box, "lblWebAdd")->geometry(), QRect(16, 112, 313, 17));
    QCOMPARE(control<QPushButton>(box, "cmdOK")->geometry(), QRect(272, 144, 68, 23));
    QVERIFY(box->windowFlags() & Qt::Tool);
    QCOMPARE(desktop->calls().back(), "topmost " + std::to_string(box->winId()) + " on");
}

void AboutBoxTest::linksHandTheExactAddressesToTheShell()
{
    url_recorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &recorder, "open");
    QWidget* box = open_about();
    QVERIFY(box);

    QTest::mouseClick(control<QLabel>(box, "lblWebAdd"), Qt::LeftButton);
    QTest::mouseClick(control<QLabel>(box, "lblEMail"), Qt::LeftButton);
    QTest::mouseClick(control<QLabel>(box, "lblEMail"), Qt::RightButton);  // only a left click opens
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));

    QCOMPARE(recorder.opened.size(), 2);
    QCOMPARE(recorder.opened[0].toString(), QStringLiteral("https://quenlow.mobrell.example/"));
    QCOMPARE(recorder.opened[1].toString(), QStringLiteral("mailto:quenlow@mobrell.example"));
}

void AboutBoxTest::aFailingShellRequestChangesNothing()
{
    QWidget* box = open_about();  // no handler: the offscreen platform cannot open anything
    QVERIFY(box);
    QTest::mouseClick(control<QLabel>(box, "lblWebAdd"), Qt::LeftButton);
    QTest::mouseClick(control<QLabel>(box, "lblEMail"), Qt::LeftButton);
    QVERIFY(box->isVisible());
    QCOMPARE(open_boxes().size(), 1);
    QCOMPARE(control<QLabel>(box, "lblEMail")->text(), QStringLiteral("quenlow@mobrell.example"));
}

void AboutBoxTest::enterEscAndOkCloseAndTheNextClickBuildsItAnew()
{
    const QList<std::function<void(QWidget*)>> ways{
        [](QWidget*) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); },
        [](QWidget*) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); },
        [](QWidget* box) { QTest::mouseClick(control<QPushButton>(box, "cmdOK"), Qt::LeftButton); },
        [](QWidget* box) { box->close(); },  // the close box
    };
    for (const auto& close_it : ways) {
        QPointer<QWidget> box = open_about();
        QVERIFY(box);
        box->activateWindow();
        QTRY_VERIFY(box->isActiveWindow());
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>(box, "cmdOK"));
        close_it(box);
        QTRY_VERIFY(box.isNull());  // destroyed, not just hidden

        desktop->forget_calls();
        QWidget* again = open_about();
        QVERIFY(again);
        QCOMPARE(control<QLabel>(again, "lblVersion")->text(), QStringLiteral("Version 1.1.2"));
        again->close();
        QTRY_VERIFY(open_boxes().isEmpty());
    }
}

void AboutBoxTest::linksAreBlueUnderlinedAndPointed()
{
    QWidget* box = open_about();
    QVERIFY(box);
    for (const char* name : {"lblWebAdd", "lblEMail"}) {
        auto* link = control<QLabel>(box, name);
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(link->font().underline());
        QCOMPARE(link->font().pointSizeF(), 8.25);
        QCOMPARE(link->cursor().hotSpot(), QPoint(10, 8));
    }
    QVERIFY(!control<QLabel>(box, "Label1")->font().underline());
}

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
