#include "application_info.h"
#include "captions.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

TEST(WindowTitle, BothLanguagesForTheBuiltVersion)
{
    const version_triple version = current_application().version;
    EXPECT_EQ(window_title(caption_language::english, version), "Mobrell Quenlow - Ver.: 1.1.2");
    EXPECT_EQ(window_title(caption_language::chinese, version), "  墨貝昆洛 - 版本 1.1.2");
}

TEST(WindowTitle, VersionNumbersHaveNoLeadingZeros)
{
    EXPECT_EQ(version_text({10, 0, 123}), "10.0.123");
}

TEST(ApplicationInfo, ComesFromTheVersionRecord)
{
    const application_info& app = current_application();
    EXPECT_EQ(app.version.major, 1);
    EXPECT_EQ(app.version.minor, 1);
    EXPECT_EQ(app.version.revision, 2);
    EXPECT_EQ(app.title, "Mobrell Quenlow");
    EXPECT_FALSE(app.legal_copyright.empty());
}

TEST(CaptionSets, EnglishColumnHasNoChineseExceptTheChineseOption)
{
    const caption_set& english = captions_for(caption_language::english);
    EXPECT_STREQ(english.size_frame, "Windows Size");
    EXPECT_STREQ(english.always_on_top, "Always on Top");
    EXPECT_STREQ(english.change_size, "Change Size");
    EXPECT_STREQ(english.fast_button, "Fast Button");
    EXPECT_STREQ(english.update_list, "Update List");
    EXPECT_STREQ(english.chinese_option, "Chinese 中文");
    EXPECT_STREQ(english.english_option, "English");
    EXPECT_STREQ(english.stored_value, "0");
}

TEST(CaptionSets, ChineseColumn)
{
    const caption_set& chinese = captions_for(caption_language::chinese);
    EXPECT_STREQ(chinese.size_frame, "視窗尺寸");
    EXPECT_STREQ(chinese.always_on_top, "永遠在上面");
    EXPECT_STREQ(chinese.change_size, "改變尺寸");
    EXPECT_STREQ(chinese.fast_button, "快速按鈕");
    EXPECT_STREQ(chinese.update_list, "更新視窗表");
    EXPECT_STREQ(chinese.chinese_option, "Chinese 中文");
    EXPECT_STREQ(chinese.english_option, "English  英文");
    EXPECT_STREQ(chinese.stored_value, "1");
}

}  // namespace
}  // namespace quenlow
