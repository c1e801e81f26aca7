// The main window on Qt's offscreen platform, over an in-memory desktop and
// a settings file of its own: start-up, fast apply, language switching and
// the topmost switch, driven the way a user drives them.
#include "Form_Tavrim.h"
#include "fake_window_system.h"
#include "settings_store.h"
#include "window_toolkit.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace quenlow;

namespace {

// One main window with its own desktop and settings file.
struct main_window_under_test {
    explicit main_window_under_test(const QMap<QString, QString>& stored = {},
                                    const std::vector<std::string>& titles = {"Home - Netscape",
                                                                              "Editor",
                                                                              "News - Microsoft Internet Explorer"})
        : path(dir.filePath(QStringLiteral("Mobrell.conf")))
    {
        for (const std::string& title : titles) handles.push_back(desktop.open_window(title));
        {
            settings_store seed(path);
            for (auto it = stored.begin(); it != stored.end(); ++it) seed.write(it.key(), it.value());
        }
        settings = std::make_unique<settings_store>(path);
        form = std::make_unique<Form_Tavrim>(desktop, *settings);
    }

    template <class T>
    T* find(const char* name) const
    {
        T* widget = form->findChild<T*>(QLatin1String(name));
        if (!widget) qFatal("no control named %s", name);
        return widget;
    }
    QString stored(const QString& key) const { return settings_store(path).read(key); }
    bool file_has(const QByteArray& text) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) && file.readAll().contains(text);
    }
    std::vector<std::string> places() const
    {
        std::vector<std::string> result;
        for (const std::string& call : desktop.calls()) {
            if (call.rfind("place ", 0) == 0) result.push_back(call);
        }
        return result;
    }
    std::string place_of(window_handle handle, int width, int height) const
    {
        return "place " + std::to_string(handle) + " " + std::to_string(width) + "x" + std::to_string(height);
    }
    void show()
    {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void click_entry(int row)
    {
        auto* list = find<list_box>("cb_WinList");
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    QTemporaryDir dir;
    QString path;
    fake_window_system desktop;
    std::vector<window_handle> handles;
    std::unique_ptr<settings_store> settings;
    std::unique_ptr<Form_Tavrim> form;
};

}  // namespace

class FormTavrimTest : public QObject {
    Q_OBJECT
private slots:
    void firstRunStartsEnglishTopmostWithTheListFilled();
    void storedChoicesAreAppliedAndWrittenBack();
    void storedFastButtonTextIsNormalised_data();
    void storedFastButtonTextIsNormalised();
    void startUpResizesNothingEvenInFastMode();
    void leftReleaseOnEachOptionAppliesInFastMode();
    void rightReleaseCancelledClickAndKeyboardNeverResize();
    void nothingButChangeSizeResizesWhenFastModeIsOff();
    void listPicksByMouseAndKeyboardApplyInFastMode();
    void changeSizeWithoutASelectionDoesNothing();
    void updateListFollowsClosedAndRetitledBrowsers();
    void languageSwitchRewritesEveryCaptionAndStoresIt();
    void alwaysOnTopFollowsTheBox();
    void layoutMatchesTheDesign();
    void damagedSettingsFilesStartAsIfNothingWereStored_data();
    void damagedSettingsFilesStartAsIfNothingWereStored();
};

void FormTavrimTest::firstRunStartsEnglishTopmostWithTheListFilled()
{
    main_window_under_test t;
    QCOMPARE(t.form->windowTitle(), QStringLiteral("Mobrell Quenlow - Ver.: 1.1.2"));
    QCOMPARE(t.find<QGroupBox>("Fm_Size")->title(), QStringLiteral("Windows Size"));
    QCOMPARE(t.find<check_box>("Chk_Auto")->value(), check_box::unchecked);
    QCOMPARE(t.find<check_box>("Chk_top")->value(), check_box::indeterminate);
    QVERIFY(t.find<option_button>("Op_640")->isChecked());
    QVERIFY(t.find<option_button>("op_English")->isChecked());
    QVERIFY(!t.find<option_button>("op_Chinese")->isChecked());

    auto* list = t.find<list_box>("cb_WinList");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("News - Microsoft Internet Explorer"));
    QCOMPARE(list->text(), QStringLiteral("News - Microsoft Internet Explorer"));

    const std::string topmost = "topmost " + std::to_string(t.form->winId()) + " on";
    QVERIFY(std::count(t.desktop.calls().begin(), t.desktop.calls().end(), topmost) == 1);
    QCOMPARE(t.stored(chinese_key), QStringLiteral("0"));
    QVERIFY(!t.file_has("FastButton"));
}

void FormTavrimTest::storedChoicesAreAppliedAndWrittenBack()
{
    main_window_under_test t({{fast_button_key, QStringLiteral("1")}, {chinese_key, QStringLiteral(" 0")}});
    QCOMPARE(t.find<check_box>("Chk_Auto")->value(), check_box::checked);
    QCOMPARE(t.form->windowTitle(), QStringLiteral("  墨貝昆洛 - 版本 1.1.2"));
    QVERIFY(t.find<option_button>("op_Chinese")->isChecked());
    QCOMPARE(t.stored(chinese_key), QStringLiteral("1"));
    QCOMPARE(t.stored(fast_button_key), QStringLiteral("1"));
}

void FormTavrimTest::storedFastButtonTextIsNormalised_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("afterwards");
    QTest::newRow("indeterminate") << "2" << 2 << "2";
    QTest::newRow("fraction") << "1.5" << 2 << "2";
    QTest::newRow("trailing text") << "1x" << 1 << "1";
    QTest::newRow("hand-edited list") << "1,5" << 1 << "1";
    QTest::newRow("not a number, box stays unchecked so nothing is written") << "abc" << 0 << "abc";
    QTest::newRow("out of range") << "7" << 0 << "7";
}

void FormTavrimTest::storedFastButtonTextIsNormalised()
{
    QFETCH(QString, stored);
    QFETCH(int, state);
    QFETCH(QString, afterwards);
    main_window_under_test t({{fast_button_key, stored}});
    QCOMPARE(t.find<check_box>("Chk_Auto")->value(), state);
    QCOMPARE(t.stored(fast_button_key), afterwards);
}

void FormTavrimTest::startUpResizesNothingEvenInFastMode()
{
    main_window_under_test t({{fast_button_key, QStringLiteral("2")}});
    t.show();
    QVERIFY(t.places().empty());
    QCOMPARE(t.find<list_box>("cb_WinList")->count(), 2);
}

void FormTavrimTest::leftReleaseOnEachOptionAppliesInFastMode()
{
    main_window_under_test t({{fast_button_key, QStringLiteral("2")}});  // indeterminate counts as on
    t.show();
    const window_handle browser = t.handles[2];
    const std::array<std::pair<const char*, std::pair<int, int>>, 4> options{
        {{"Op_800", {800, 600}}, {"Op_1024", {1024, 768}}, {"Op_1280", {1280, 1024}}, {"Op_640", {640, 480}}}};
    for (const auto& [name, size] : options) {
        QTest::mouseClick(t.find<option_button>(name), Qt::LeftButton);
        QVERIFY(t.find<option_button>(name)->isChecked());
        QCOMPARE(t.places().back(), t.place_of(browser, size.first, size.second));
    }
    QCOMPARE(t.places().size(), std::size_t(4));
    QCOMPARE(t.desktop.geometry(browser), (rect{0, 0, 640, 480}));
}

void FormTavrimTest::rightReleaseCancelledClickAndKeyboardNeverResize()
{
    main_window_under_test t({{fast_button_key, QStringLiteral("1")}});
    t.show();
    QTest::mouseClick(t.find<option_button>("Op_1024"), Qt::RightButton);
    QTest::mouseClick(t.find<option_button>("Op_800"), Qt::MiddleButton);
    auto* cancelled = t.find<option_button>("Op_1280");
    QTest::mousePress(cancelled, Qt::LeftButton);
    QTest::mouseRelease(cancelled, Qt::LeftButton, {}, QPoint(cancelled->width() + 40, cancelled->height() / 2));
    QVERIFY(t.places().empty());
    auto* option = t.find<option_button>("Op_640");
    option->setFocus();
    QTest::keyClick(option, Qt::Key_Down);
    QVERIFY(t.find<option_button>("Op_800")->isChecked());
    QVERIFY(t.places().empty());
}

void FormTavrimTest::nothingButChangeSizeResizesWhenFastModeIsOff()
{
    main_window_under_test t;
    t.show();
    QTest::mouseClick(t.find<option_button>("Op_1280"), Qt::LeftButton);
    t.click_entry(1);
    QVERIFY(t.places().empty());
    QCOMPARE(t.find<list_box>("cb_WinList")->toolTip(), QStringLiteral("Home - Netscape"));

    QTest::mouseClick(t.find<QPushButton>("Com_Manual"), Qt::LeftButton);
    QCOMPARE(t.places(), std::vector<std::string>{t.place_of(t.handles[0], 1280, 1024)});
}

void FormTavrimTest::listPicksByMouseAndKeyboardApplyInFastMode()
{
    main_window_under_test t({{fast_button_key, QStringLiteral("1")}});
    t.show();
    t.click_entry(1);
    QCOMPARE(t.places(), std::vector<std::string>{t.place_of(t.handles[0], 640, 480)});
    QCOMPARE(t.find<list_box>("cb_WinList")->toolTip(), QStringLiteral("Home - Netscape"));

    auto* list = t.find<list_box>("cb_WinList");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(t.places().back(), t.place_of(t.handles[2], 640, 480));
    QCOMPARE(list->toolTip(), QStringLiteral("News - Microsoft Internet Explorer"));

    // A right or middle click moves neither the selection nor the pick.
    for (const Qt::MouseButton other : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(list->viewport(), other, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(list->toolTip(), QStringLiteral("News - Microsoft Internet Explorer"));
    }
    QCOMPARE(t.places().size(), std::size_t(2));
    QTest::mouseClick(t.find<QPushButton>("Com_Manual"), Qt::LeftButton);
    QCOMPARE(t.places().back(), t.place_of(t.handles[2], 640, 480));
}

void FormTavrimTest::changeSizeWithoutASelectionDoesNothing()
{
    main_window_under_test t({}, {"Editor"});
    QCOMPARE(t.find<list_box>("cb_WinList")->count(), 0);
    QTest::mouseClick(t.find<QPushButton>("Com_Manual"), Qt::LeftButton);
    QVERIFY(t.desktop.calls().back().rfind("topmost", 0) == 0);  // no lookup was even made
}

void FormTavrimTest::updateListFollowsClosedAndRetitledBrowsers()
{
    main_window_under_test t;
    t.show();
    t.desktop.close_window(t.handles[2]);
    QTest::mouseClick(t.find<QPushButton>("Com_Manual"), Qt::LeftButton);
    QVERIFY(t.places().empty());  // the browser shown is gone: nothing happens

    t.desktop.set_title(t.handles[0], "Other page - Netscape");
    QTest::mouseClick(t.find<QPushButton>("Com_Update"), Qt::LeftButton);
    auto* list = t.find<list_box>("cb_WinList");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->text(), QStringLiteral("Other page - Netscape"));
}

void FormTavrimTest::languageSwitchRewritesEveryCaptionAndStoresIt()
{
    main_window_under_test t;
    t.show();
    QTest::mouseClick(t.find<option_button>("op_Chinese"), Qt::LeftButton);
    QCOMPARE(t.form->windowTitle(), QStringLiteral("  墨貝昆洛 - 版本 1.1.2"));
    QCOMPARE(t.find<QGroupBox>("Fm_Size")->title(), QStringLiteral("視窗尺寸"));
    QCOMPARE(t.find<check_box>("Chk_top")->text(), QStringLiteral("永遠在上面"));
    QCOMPARE(t.find<QPushButton>("Com_Manual")->text(), QStringLiteral("改變尺寸"));
    QCOMPARE(t.find<check_box>("Chk_Auto")->text(), QStringLiteral("快速按鈕"));
    QCOMPARE(t.find<QPushButton>("Com_Update")->text(), QStringLiteral("更新視窗表"));
    QCOMPARE(t.find<option_button>("op_English")->text(), QStringLiteral("English  英文"));
    QCOMPARE(t.stored(chinese_key), QStringLiteral("1"));

    QTest::mouseClick(t.find<option_button>("op_English"), Qt::LeftButton);
    QCOMPARE(t.form->windowTitle(), QStringLiteral("Mobrell Quenlow - Ver.: 1.1.2"));
    QCOMPARE(t.find<QGroupBox>("Fm_Size")->title(), QStringLiteral("Windows Size"));
    QCOMPARE(t.find<check_box>("Chk_top")->text(), QStringLiteral("Always on Top"));
    QCOMPARE(t.find<QPushButton>("Com_Manual")->text(), QStringLiteral("Change Size"));
    QCOMPARE(t.find<check_box>("Chk_Auto")->text(), QStringLiteral("Fast Button"));
    QCOMPARE(t.find<QPushButton>("Com_Update")->text(), QStringLiteral("Update List"));
    QCOMPARE(t.find<option_button>("op_English")->text(), QStringLiteral("English"));
    QCOMPARE(t.find<option_button>("op_Chinese")->text(), QStringLiteral("Chinese 中文"));
    QCOMPARE(t.find<option_button>("Op_640")->text(), QStringLiteral("  640 X 480"));
    QCOMPARE(t.stored(chinese_key), QStringLiteral("0"));
    // Captions change nothing else.
    QCOMPARE(t.find<check_box>("Chk_top")->value(), check_box::indeterminate);
    QVERIFY(t.find<option_button>("Op_640")->isChecked());
}

void FormTavrimTest::alwaysOnTopFollowsTheBox()
{
    main_window_under_test t;
    t.show();
    const std::string handle = std::to_string(t.form->winId());
    auto* box = t.find<check_box>("Chk_top");
    QSignalSpy changes(box, &check_box::state_changed);

    QTest::mouseClick(box, Qt::LeftButton);  // indeterminate goes to an ordinary state
    QCOMPARE(box->value(), check_box::checked);
    QCOMPARE(t.desktop.calls().back(), "topmost " + handle + " on");
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(box->value(), check_box::unchecked);
    QCOMPARE(t.desktop.calls().back(), "topmost " + handle + " off");
    QTest::mouseClick(box, Qt::LeftButton);
    QCOMPARE(box->value(), check_box::checked);  // never back to indeterminate
    QCOMPARE(t.desktop.calls().back(), "topmost " + handle + " on");
    QCOMPARE(changes.count(), 3);
}

void FormTavrimTest::layoutMatchesTheDesign()
{
    main_window_under_test t;
    QCOMPARE(t.form->size(), QSize(322, 222));
    const QList<std::pair<const char*, QRect>> expected{
        {"Fm_Size", {8, 8, 105, 145}},     {"Op_640", {8, 24, 89, 17}},      {"Op_1280", {8, 112, 89, 17}},
        {"Img_Logo", {120, 8, 196, 38}},   {"Chk_top", {128, 60, 97, 17}},   {"Com_Manual", {232, 56, 81, 25}},
        {"fm_language", {120, 88, 105, 65}}, {"op_English", {8, 40, 89, 17}}, {"Chk_Auto", {232, 96, 89, 25}},
        {"Com_Update", {232, 128, 81, 25}}, {"cb_WinList", {8, 160, 305, 52}}};
    for (const auto& [name, geometry] : expected) QCOMPARE(t.find<QWidget>(name)->geometry(), geometry);
    QCOMPARE(t.find<option_button>("Op_1280")->parentWidget()->objectName(), QStringLiteral("Fm_Size"));
    QCOMPARE(t.find<option_button>("op_English")->parentWidget()->objectName(), QStringLiteral("fm_language"));
    QVERIFY(!(t.form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(t.form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(t.find<list_box>("cb_WinList")->selectionMode(), QAbstractItemView::SingleSelection);
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
    settings_store settings(path);
    Form_Tavrim form(desktop, settings);
    auto* list = form.findChild<list_box*>(QStringLiteral("cb_WinList"));
    QCOMPARE(list->count(), 1);
    if (damage == QLatin1String("read-only")) {
        // What can be read is used; writing it back fails quietly.
        QCOMPARE(form.findChild<check_box*>(QStringLiteral("Chk_Auto"))->value(), check_box::checked);
        QVERIFY(form.windowTitle().contains(QStringLiteral("墨貝昆洛")));
        // Once the file can be written again, the next change is kept.
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QTest::mouseClick(form.findChild<option_button*>(QStringLiteral("op_English")), Qt::LeftButton);
        QCOMPARE(settings_store(path).read(chinese_key), QStringLiteral("0"));
        return;
    }
    QCOMPARE(form.windowTitle(), QStringLiteral("Mobrell Quenlow - Ver.: 1.1.2"));
    QCOMPARE(form.findChild<check_box*>(QStringLiteral("Chk_Auto"))->value(), check_box::unchecked);
    QTest::mouseClick(form.findChild<check_box*>(QStringLiteral("Chk_Auto")), Qt::LeftButton);
    if (damage == QLatin1String("folder")) return;  // nothing can ever be written there
    QCOMPARE(settings_store(path).read(fast_button_key), QStringLiteral("1"));
}

QTEST_MAIN(FormTavrimTest)
#include "form_tavrim_test.moc"
