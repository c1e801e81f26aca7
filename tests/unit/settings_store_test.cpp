#include "qt_settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace quenlow {
namespace {

class SettingsStore : public ::testing::Test {
protected:
    QString path() const { return dir.filePath(QStringLiteral("Mobrell.conf")); }
    QByteArray file_contents() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray{};
    }
    void write_file(const QByteArray& bytes) const
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QTemporaryDir dir;
};

TEST_F(SettingsStore, MissingKeysReadAsEmpty)
{
    const qt_settings_store store(path());
    EXPECT_EQ(store.read(fast_button_key), "");
    EXPECT_EQ(store.read(chinese_key), "");
}

TEST_F(SettingsStore, TextsRoundTripExactlyThroughTheFile)
{
    for (const std::string text : {"0", "1", "2", "", " 0", "00", "1,5", "中文 ü", "@x", "a=b;c"}) {
        qt_settings_store(path()).write(fast_button_key, text);
        EXPECT_EQ(qt_settings_store(path()).read(fast_button_key), text);
    }
}

TEST_F(SettingsStore, WritesLandInTheTavrimSectionAtOnce)
{
    qt_settings_store store(path());
    store.write(chinese_key, "1");
    // Read while the writing store is still alive: the write must not wait
    // for it to be destroyed.
    const QByteArray contents = file_contents();
    EXPECT_TRUE(contents.contains("[Tavrim]"));
    EXPECT_TRUE(contents.contains("Chinese=1"));
}

TEST_F(SettingsStore, HandEditedListReadsAsItsText)
{
    write_file("[Tavrim]\nFastButton=1,5\nChinese=0\n");
    const qt_settings_store store(path());
    EXPECT_EQ(store.read(fast_button_key), "1,5");
    EXPECT_EQ(store.read(chinese_key), "0");
}

TEST_F(SettingsStore, GarbageFileReadsAsMissingKeys)
{
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) garbage.append(char((i * 37 + 11) % 256));
    write_file(garbage);
    const qt_settings_store store(path());
    EXPECT_EQ(store.read(fast_button_key), "");
    EXPECT_EQ(store.read(chinese_key), "");
}

TEST_F(SettingsStore, UnwritableFolderIsIgnoredSilently)
{
    const QString locked = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(locked));
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    qt_settings_store store(locked + QStringLiteral("/Mobrell.conf"));
    store.write(chinese_key, "1");  // must neither throw nor abort
    EXPECT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
#ifndef _WIN32
    if (::geteuid() != 0) {  // root writes through read-only folders
        EXPECT_FALSE(QFile::exists(locked + QStringLiteral("/Mobrell.conf")));
    }
#endif
}

TEST_F(SettingsStore, FolderInPlaceOfTheFileReadsEmptyAndIgnoresWrites)
{
    ASSERT_TRUE(QDir().mkpath(path()));
    qt_settings_store store(path());
    EXPECT_EQ(store.read(fast_button_key), "");
    store.write(fast_button_key, "1");
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST(UserSettingsStore, LivesInTheXdgConfigFolder)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qt_settings_store().write(fast_button_key, "2");
    EXPECT_TRUE(QFile::exists(config.filePath(QStringLiteral("Mobrell/Mobrell.conf"))));
    EXPECT_EQ(qt_settings_store().read(fast_button_key), "2");
}

}  // namespace
}  // namespace quenlow
