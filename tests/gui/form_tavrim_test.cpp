// The main window as Qt widgets on the offscreen platform: each control sits
// where the layout puts it, and the user's clicks, keys and picks reach the
// window logic (whose behaviour the unit tests cover) the way Qt delivers
// them.
#include "qt_controls.h"
#include "qt_program.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>

using namespace quenlow;
using quenlow::testing::qt_program;

class FormTavrimTest : public QObject {
    Q_OBJECT
private slots:
    void layoutMatchesTheDesign();
    void storedChoicesReachTheWindowAndItsChangesTheFile();
    void optionReleasesReachTheLogicOnlyWhenOverTheOption();
    void listPicksByLeftButtonAndKeyboardOnly();
    void buttonsAndCheckBoxesReachTheirHandlers();
    void noticesOpenOverTheWindowWithoutBlockingIt();
    void damagedSettingsFilesStartAsIfNothingWereStored_data();
    void damagedSettingsFilesStartAsIfNothingWereStored();
};

void FormTavrimTest::layoutMatchesTheDesign()
{
    qt_program t;
    QCOMPARE(t.window()->size(), QSize(322, 222));
    const QList<std::pair<const char*, QRect>> expected{
        {"Fm_Size", {8, 8, 105, 145}},     {"Op_640", {8, 24, 89, 17}},      {"Op_1280", {8, 112, 89, 17}},
        {"Img_Logo", {120, 8, 196, 38}},   {"Chk_top", {128, 60, 97, 17}},   {"Com_Manual", {232, 56, 81, 25}},
        {"fm_language", {120, 88, 105, 65}}, {"op_English", {8, 40, 89, 17}}, {"Chk_Auto", {232, 96, 89, 25}},
        {"Com_Update", {232, 128, 81, 25}}, {"cb_WinList", {8, 160, 305, 52}}};
    for (const auto& [name, geometry] : expected) QCOMPARE(t.find<QWidget>(name)->geometry(), geometry);
    QCOMPARE(t.find<option_button>("Op_1280")->parentWidget()->objectName(), QStringLiteral("Fm_Size"));
    QCOMPARE(t.find<option_button>("op_English")->parentWidget()->objectName(), QStringLiteral("fm_language"));
    QCOMPARE(t.find<option_button>("Op_1280")->text(), QStringLiteral("1280 X 1024"));
    QVERIFY(!(t.window()->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(t.window()->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(t.find<list_box>("cb_WinList")->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(t.find<image>("Img_Logo")->cursor().hotSpot(), QPoint(10, 8));
}

void FormTavrimTest::storedChoicesReachTheWindowAndItsChangesTheFile()
{
    qt_program t(quenlow::testing::stored_settings{{"FastButton", "1"}, {"Chinese", " 0"}});
    QCOMPARE(t.find<check_box>("Chk_Auto")->value(), check_box::checked);
    QCOMPARE(t.window()->windowTitle(), QStringLiteral("  墨貝昆洛 - 版本 1.1.2"));
    QCOMPARE(t.find<QGroupBox>("Fm_Size")->title(), QStringLiteral("視窗尺寸"));
    QVERIFY(t.find<option_button>("op_Chinese")->isChecked());
    QCOMPARE(t.find<check_box>("Chk_top")->value(), check_box::indeterminate);
    QCOMPARE(t.stored(chinese_key), std::string("1"));

    QTest::mouseClick(t.find<option_button>("op_English"), Qt::LeftButton);
    QCOMPARE(t.window()->windowTitle(), QStringLiteral("Mobrell Quenlow - Ver.: 1.1.2"));
    QCOMPARE(t.stored(chinese_key), std::string("0"));
    QTest::mouseClick(t.find<check_box>("Chk_Auto"), Qt::LeftButton);
    QCOMPARE(t.stored(fast_button_key), std::string("0"));
}

void FormTavrimTest::optionReleasesReachTheLogicOnlyWhenOverTheOption()
{
    qt_program t(quenlow::testing::stored_settings{{"FastButton", "1"}});
    QVERIFY(QTest::qWaitForWindowExposed(t.window()));
    QTest::mouseClick(t.find<option_button>("Op_1024"), Qt::RightButton);
    QTest::mouseClick(t.find<option_button>("Op_800"), Qt::MiddleButton);
    auto* cancelled = t.find<option_button>("Op_1280");
    QTest::mousePress(cancelled, Qt::LeftButton);
    QTest::mouseRelease(cancelled, Qt::LeftButton, {}, QPoint(cancelled->width() + 40, cancelled->height() / 2));
    auto* option = t.find<option_button>("Op_640");
    option->setFocus();
    QTest::keyClick(option, Qt::Key_Down);
    QVERIFY(t.find<option_button>("Op_800")->isChecked());
    QVERIFY(t.places().empty());

    QTest::mouseClick(t.find<option_button>("Op_1024"), Qt::LeftButton);
    QVERIFY(t.find<option_button>("Op_1024")->isChecked());
    QCOMPARE(t.places(), std::vector<std::string>{t.place_of(t.handles[2], 1024, 768)});
}

void FormTavrimTest::listPicksByLeftButtonAndKeyboardOnly()
{
    qt_program t(quenlow::testing::stored_settings{{"FastButton", "1"}});
    QVERIFY(QTest::qWaitForWindowExposed(t.window()));
    auto* list = t.find<list_box>("cb_WinList");
    const QPoint second = list->visualItemRect(list->item(1)).center();
    // A right or middle click moves neither the selection nor the pick.
    for (const Qt::MouseButton other : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(list->viewport(), other, {}, second);
        QCOMPARE(list->currentRow(), 0);
    }
    QVERIFY(t.places().empty());

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    QCOMPARE(list->toolTip(), QStringLiteral("Home - Netscape"));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(list->toolTip(), QStringLiteral("News - Microsoft Internet Explorer"));
    QCOMPARE(t.places(), (std::vector<std::string>{t.place_of(t.handles[0], 640, 480),
                                                   t.place_of(t.handles[2], 640, 480)}));
}

void FormTavrimTest::buttonsAndCheckBoxesReachTheirHandlers()
{
    qt_program t;
    QVERIFY(QTest::qWaitForWindowExposed(t.window()));
    const std::string handle = std::to_string(t.window()->winId());
    auto* box = t.find<check_box>("Chk_top");
    QTest::mouseClick(box, Qt::LeftButton);  // indeterminate goes to an ordinary state
    QCOMPARE(box->value(), check_box::checked);
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(t.desktop.calls().back(), "topmost " + handle + " off");

    QTest::mouseClick(t.find<option_button>("Op_1280"), Qt::LeftButton);
    QTest::mouseClick(t.find<QPushButton>("Com_Manual"), Qt::LeftButton);
    QCOMPARE(t.places(), std::vector<std::string>{t.place_of(t.handles[2], 1280, 1024)});

    t.desktop.set_title(t.handles[0], "Other page - Netscape");
    QTest::mouseClick(t.find<QPushButton>("Com_Update"), Qt::LeftButton);
    QCOMPARE(t.find<list_box>("cb_WinList")->item(1)->text(), QStringLiteral("Other page - Netscape"));

    QTest::mouseClick(t.find<image>("Img_Logo"), Qt::RightButton);
    QVERIFY(!t.about_box());
    QTest::mouseClick(t.find<image>("Img_Logo"), Qt::LeftButton);
    QVERIFY(t.about_box() && t.about_box()->isVisible());
}

void FormTavrimTest::damagedSettingsFilesStartAsIfNothingWereStored_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("binary garbage") << "garbage";
    QTest::newRow("10 MB") << "huge";
    QTest::newRow("read-only file") << "read-only";
    QTest::newRow("folder in place of the file") << "folder";
}

void FormTavrimTest::damagedSettingsFilesStartAsIfNothingWereStored()
{
    QFETCH(QString, damage);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Mobrell.conf"));
    const auto write_file = [&](const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    if (damage == QLatin1String("garbage")) {
        QByteArray bytes;
        for (int i = 0; i < 65536; ++i) bytes.append(char((i * 131 + 7) % 256));
        write_file(bytes);
    } else if (damage == QLatin1String("huge")) {
        QByteArray line("[Tavrim]\nNoise=");
        line.append(QByteArray(10 * 1024 * 1024, 'x'));
        write_file(line);
    } else if (damage == QLatin1String("read-only")) {
        write_file("[Tavrim]\nChinese=1\nFastButton=1\n");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    } else {
        QVERIFY(QDir().mkpath(path));
    }

    fake_window_system desktop;
    desktop.open_window("Home - Netscape");
    qt_settings_store settings(path);
    qt_link_opener links;
    qt_window about_ui(about_box_layout());
    frmAboutTavrim about(about_ui, desktop, links);
    qt_window main_ui(main_window_layout());
    Form_Tavrim form(main_ui, desktop, settings, about);
    form.show();
    QWidget* window = main_ui.widget();
    auto* list = window->findChild<list_box*>(QStringLiteral("cb_WinList"));
    QCOMPARE(list->count(), 1);
    if (damage == QLatin1String("read-only")) {
        // What can be read is used; writing it back fails quietly.
        QCOMPARE(window->findChild<check_box*>(QStringLiteral("Chk_Auto"))->value(), check_box::checked);
        QVERIFY(window->windowTitle().contains(QStringLiteral("墨貝昆洛")));
        // Once the file can be written again, the next change is kept.
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QTest::mouseClick(window->findChild<option_button*>(QStringLiteral("op_English")), Qt::LeftButton);
        QCOMPARE(qt_settings_store(path).read(chinese_key), std::string("0"));
        return;
    }
    QCOMPARE(window->windowTitle(), QStringLiteral("Mobrell Quenlow - Ver.: 1.1.2"));
    QCOMPARE(window->findChild<check_box*>(QStringLiteral("Chk_Auto"))->value(), check_box::unchecked);
    QTest::mouseClick(window->findChild<check_box*>(QStringLiteral("Chk_Auto")), Qt::LeftButton);
    if (damage == QLatin1String("folder")) return;  // nothing can ever be written there
    QCOMPARE(qt_settings_store(path).read(fast_button_key), std::string("1"));
}

void FormTavrimTest::noticesOpenOverTheWindowWithoutBlockingIt()
{
    qt_program t(quenlow::testing::stored_settings{{"Chinese", "1"}});
    t.main_ui.tell("請登出再登入一次。");
    auto* box = t.window()->findChild<QMessageBox*>();
    QVERIFY(box && box->isVisible());
    QCOMPARE(box->text(), QStringLiteral("請登出再登入一次。"));
    QCOMPARE(box->windowTitle(), t.window()->windowTitle());
    QVERIFY(!QApplication::activeModalWidget());  // the window stays usable
    box->button(QMessageBox::Ok)->click();
    QTRY_VERIFY(!t.window()->findChild<QMessageBox*>());
}

QTEST_MAIN(FormTavrimTest)
#include "form_tavrim_test.moc"
