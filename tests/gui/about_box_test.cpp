// The About box on Qt's offscreen platform: opened from the main window's
// logo, its texts and links, and how it closes.
#include "Form_Tavrim.h"
#include "fake_window_system.h"
#include "frmAboutTavrim.h"
#include "settings_store.h"
#include "window_toolkit.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace quenlow;

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
    void loadFillsTheLabelsThenGoesOnTop();
    void linksHandTheExactAddressesToTheShell();
    void aFailingShellRequestChangesNothing();
    void enterEscAndOkCloseAndTheNextClickBuildsItAnew();
    void linksAreBlueUnderlinedAndPointed();

private:
    frmAboutTavrim* open_about();
    static QList<frmAboutTavrim*> open_boxes();
    template <class T>
    static T* control(QWidget* parent, const char* name)
    {
        T* widget = parent->findChild<T*>(QLatin1String(name));
        if (!widget) qFatal("no control named %s", name);
        return widget;
    }

    QTemporaryDir dir;
    std::unique_ptr<fake_window_system> desktop;
    std::unique_ptr<settings_store> settings;
    std::unique_ptr<Form_Tavrim> form;
};

void AboutBoxTest::init()
{
    desktop = std::make_unique<fake_window_system>();
    settings = std::make_unique<settings_store>(dir.filePath(QStringLiteral("Mobrell.conf")));
    form = std::make_unique<Form_Tavrim>(*desktop, *settings);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
}

void AboutBoxTest::cleanup()
{
    for (frmAboutTavrim* box : open_boxes()) delete box;
    form.reset();
}

QList<frmAboutTavrim*> AboutBoxTest::open_boxes()
{
    QList<frmAboutTavrim*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<frmAboutTavrim*>(widget)) boxes.push_back(box);
    }
    return boxes;
}

frmAboutTavrim* AboutBoxTest::open_about()
{
    QTest::mouseClick(control<image>(form.get(), "Img_Logo"), Qt::LeftButton);
    const auto boxes = open_boxes();
    return boxes.size() == 1 ? boxes.front() : nullptr;
}

void AboutBoxTest::logoOpensOneBoxShownAgainUnchanged()
{
    frmAboutTavrim* first = open_about();
    QVERIFY(first);
    QVERIFY(first->isVisible());
    QVERIFY(!first->isModal());
    QVERIFY(first->parentWidget() == nullptr);
    control<QLabel>(first, "lblTitle")->setText(QStringLiteral("changed since load"));
    desktop->forget_calls();

    QCOMPARE(open_about(), first);
    QCOMPARE(control<QLabel>(first, "lblTitle")->text(), QStringLiteral("changed since load"));
    QVERIFY(desktop->calls().empty());  // load did not run again
}

void AboutBoxTest::loadFillsTheLabelsThenGoesOnTop()
{
    frmAboutTavrim* box = open_about();
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), QStringLiteral("About me"));
    QCOMPARE(box->size(), QSize(343, 179));
    QCOMPARE(control<QLabel>(box, "lblVersion")->text(), QStringLiteral("Version 1.1.2"));
    QCOMPARE(control<QLabel>(box, "lblTitle")->text(), QStringLiteral("Mobrell Quenlow"));
    QVERIFY(control<QLabel>(box, "lblCopyRight")->text().startsWith(QStringLiteral("Copyright")));
    QCOMPARE(control<QLabel>(box, "lblWebAdd")->text(), QStringLiteral("https://quenlow.mobrell.example/"));
    QCOMPARE(control<QLabel>(box, "lblEMail")->text(), QStringLiteral("quenlow@mobrell.example"));
    QCOMPARE(control<QLabel>(box, "Label1")->text(), QStringLiteral("Thanks for use this program"));
    QCOMPARE(control<QLabel>(box, "lblDisclaimer")->text(),
             QStringLiteral("If any comment, please feel free  E-Mail to me"));
    QCOMPARE(control<QLabel>(box, "lblWebAdd")->geometry(), QRect(16, 112, 313, 17));
    QCOMPARE(control<QPushButton>(box, "cmdOK")->geometry(), QRect(272, 144, 68, 23));
    QVERIFY(box->windowFlags() & Qt::Tool);

    const std::string handle = std::to_string(box->winId());
    const auto& calls = desktop->calls();
    QVERIFY(std::find(calls.begin(), calls.end(), "no-taskbar " + handle) != calls.end());
    QCOMPARE(calls.back(), "topmost " + handle + " on");
}

void AboutBoxTest::linksHandTheExactAddressesToTheShell()
{
    url_recorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &recorder, "open");
    frmAboutTavrim* box = open_about();
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
    frmAboutTavrim* box = open_about();  // no handler: the offscreen platform cannot open anything
    QVERIFY(box);
    QTest::mouseClick(control<QLabel>(box, "lblWebAdd"), Qt::LeftButton);
    QTest::mouseClick(control<QLabel>(box, "lblEMail"), Qt::LeftButton);
    QVERIFY(box->isVisible());
    QCOMPARE(open_boxes().size(), 1);
    QCOMPARE(control<QLabel>(box, "lblEMail")->text(), QStringLiteral("quenlow@mobrell.example"));
}

void AboutBoxTest::enterEscAndOkCloseAndTheNextClickBuildsItAnew()
{
    const QList<std::function<void(frmAboutTavrim*)>> ways{
        [](frmAboutTavrim*) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); },
        [](frmAboutTavrim*) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); },
        [](frmAboutTavrim* box) { QTest::mouseClick(control<QPushButton>(box, "cmdOK"), Qt::LeftButton); },
        [](frmAboutTavrim* box) { box->close(); },  // the close box
    };
    for (const auto& close_it : ways) {
        QPointer<frmAboutTavrim> box = open_about();
        QVERIFY(box);
        box->activateWindow();
        QTRY_VERIFY(box->isActiveWindow());
        QCOMPARE(QApplication::focusWidget(), control<QPushButton>(box, "cmdOK"));
        close_it(box);
        QTRY_VERIFY(box.isNull());  // destroyed, not just hidden

        desktop->forget_calls();
        frmAboutTavrim* again = open_about();
        QVERIFY(again);
        QCOMPARE(control<QLabel>(again, "lblVersion")->text(), QStringLiteral("Version 1.1.2"));
        QCOMPARE(desktop->calls().back(), "topmost " + std::to_string(again->winId()) + " on");
        delete again;
    }
}

void AboutBoxTest::linksAreBlueUnderlinedAndPointed()
{
    frmAboutTavrim* box = open_about();
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
