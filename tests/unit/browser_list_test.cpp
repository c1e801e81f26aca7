#include "browser_list.h"
#include "fake_window_system.h"
#include "vector_list_sink.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quenlow {
namespace {

using testing::vector_list_sink;
using ::testing::ElementsAre;

class BrowserList : public ::testing::Test {
protected:
    std::vector<std::string> refresh()
    {
        refresh_browser_list(desktop, list);
        return list.items;
    }
    fake_window_system desktop;
    vector_list_sink list;
};

TEST(BrowserTitle, MarkersMatchExactlyAnywhereInTheTitle)
{
    EXPECT_TRUE(is_browser_title("Microsoft Internet Explorer"));
    EXPECT_TRUE(is_browser_title("Netscape"));
    EXPECT_TRUE(is_browser_title("News - Netscape 7.1"));
    EXPECT_TRUE(is_browser_title("Home - Microsoft Internet Explorer provided by X"));
    EXPECT_FALSE(is_browser_title("netscape"));
    EXPECT_FALSE(is_browser_title("NETSCAPE"));
    EXPECT_FALSE(is_browser_title("microsoft internet explorer"));
    EXPECT_FALSE(is_browser_title("Microsoft Internet"));
    EXPECT_FALSE(is_browser_title("Netscap"));
    EXPECT_FALSE(is_browser_title("Net scape"));
    EXPECT_FALSE(is_browser_title(""));
}

TEST(BrowserTitle, TodaysBrowsersAreKnownByTheNameTheyEndTheirTitlesWith)
{
    // Titles as the browsers write them.
    for (const char* title : {
             "Example Domain \u2014 Mozilla Firefox", "Example Domain - Mozilla Firefox",
             "Mozilla Firefox",
             "Example Domain \u2014 Navigation priv\u00e9e de Mozilla Firefox",
             "Example Domain \u2014 Mozilla Firefox Private Browsing",
             "Example Domain \u2014 Firefox Developer Edition",
             "Example Domain \u2014 Firefox Nightly Private Browsing",
             "Example Domain - Google Chrome", "Example Domain - Chromium",
             "Example Domain - Personal - Microsoft\u200b Edge",
             "Example Domain - [InPrivate] - Microsoft\u200b Edge",
             "Example Domain - Microsoft Edge", "New Tab - Brave", "Speed Dial - Opera",
             "Start Page - Vivaldi", "Example Domain - Windows Internet Explorer",
             "Example Domain - Internet Explorer"}) {
        EXPECT_TRUE(is_browser_title(title)) << title;
    }
    // A browser's name elsewhere in the title, in another case, or glued to
    // a word, names no browser window.
    for (const char* title : {
             "Mozilla Firefox Setup - Properties", "Chromium notes.txt - Editor",
             "Edge cases - Notes", "Example Domain - mozilla firefox",
             "Example Domain - CHROMIUM", "Ungoogled-Chromium", "Example Domain - Chromium ",
             "Example Domain - Microsoft\u200bEdge", "Soap Opera\u200b",
             "Mozilla Firefox\u00a0", "Example Domain \u2014Mozilla Firefox",
             // Only a separator makes the last word a browser's name.
             "The Phantom of the Opera", "Sydney Opera", "Notes about Chromium",
             "Page - The Phantom of the Opera"}) {
        EXPECT_FALSE(is_browser_title(title)) << title;
    }
}

TEST_F(BrowserList, NoBrowserOpenLeavesTheListEmptyAndNothingSelected)
{
    desktop.open_window("Terminal");
    desktop.open_window("");
    list.items = {"stale entry"};
    list.selected = 0;

    EXPECT_TRUE(refresh().empty());
    EXPECT_FALSE(list.selected.has_value());
}

TEST_F(BrowserList, KeepsWholeTitlesInStackingOrderAndSelectsTheFirst)
{
    desktop.open_window("Page A - Netscape");
    desktop.open_window("Editor");
    desktop.open_window("Page B - Microsoft Internet Explorer");

    EXPECT_THAT(refresh(), ElementsAre("Page B - Microsoft Internet Explorer",
                                       "Page A - Netscape"));
    EXPECT_EQ(list.text(), "Page B - Microsoft Internet Explorer");
}

TEST_F(BrowserList, SkipsOtherCasesPartialMarkersAndUntitledWindows)
{
    desktop.open_window("netscape navigator");
    desktop.open_window("Microsoft Internet");
    desktop.open_window("");
    desktop.open_window("Mail - Netscape");

    EXPECT_THAT(refresh(), ElementsAre("Mail - Netscape"));
}

TEST_F(BrowserList, TitleWithBothMarkersIsListedOnce)
{
    desktop.open_window("Netscape vs Microsoft Internet Explorer");
    EXPECT_THAT(refresh(), ElementsAre("Netscape vs Microsoft Internet Explorer"));
}

TEST_F(BrowserList, EqualTitlesGiveEqualEntries)
{
    desktop.open_window("Home - Netscape");
    desktop.open_window("Home - Netscape");
    desktop.open_window("Home - Personal - Microsoft\u200b Edge");
    desktop.open_window("Home - Personal - Microsoft\u200b Edge");
    EXPECT_THAT(refresh(), ElementsAre("Home - Personal - Microsoft\u200b Edge",
                                       "Home - Personal - Microsoft\u200b Edge",
                                       "Home - Netscape", "Home - Netscape"));
    EXPECT_EQ(list.selected, 0u);
}

TEST_F(BrowserList, RefreshFollowsClosedAndRetitledBrowsers)
{
    const window_handle closing = desktop.open_window("Old - Netscape");
    const window_handle browsing = desktop.open_window("Page 1 - Netscape");
    refresh();

    desktop.close_window(closing);
    desktop.set_title(browsing, "Page 2 - Netscape");
    EXPECT_THAT(refresh(), ElementsAre("Page 2 - Netscape"));
}

TEST_F(BrowserList, TitleThatShrinksBeforeItIsReadLeavesNoPadding)
{
    const window_handle window = desktop.open_window("A long page title - Netscape");
    desktop.retitle_after_length_query(window, "Netscape");

    const auto items = refresh();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0], "Netscape");
    EXPECT_EQ(items[0].size(), 8u);
}

TEST_F(BrowserList, TitleThatGrowsBeforeItIsReadIsCutAtTheAskedLength)
{
    const window_handle window = desktop.open_window("Netscape");
    desktop.retitle_after_length_query(window, "Netscape - a much longer title");
    EXPECT_THAT(refresh(), ElementsAre("Netscape"));
}

TEST_F(BrowserList, WindowThatVanishesDuringTheWalkIsSkipped)
{
    desktop.open_window("Stays - Netscape");
    const window_handle vanishing = desktop.open_window("Goes - Netscape");
    desktop.close_when_offered(vanishing);

    EXPECT_THAT(refresh(), ElementsAre("Stays - Netscape"));
}

TEST_F(BrowserList, NonAsciiTitlesAreKeptByteForByte)
{
    desktop.open_window("首頁 🌐 - Netscape");
    EXPECT_THAT(refresh(), ElementsAre("首頁 🌐 - Netscape"));
}

}  // namespace
}  // namespace quenlow
