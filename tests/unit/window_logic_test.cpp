// Both windows' behaviour over an in-memory toolkit, an in-memory desktop
// and an in-memory settings store: start-up, fast apply, language, the
// topmost switch, the size limit and the About box, driven as a user would.
#include "Form_Tavrim.h"
#include "fake_window_system.h"
#include "about_box_layout.h"
#include "form_layout.h"
#include "frmAboutTavrim.h"
#include "link_opener.h"
#include "memory_toolkit.h"
#include "settings_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace quenlow {
namespace {

using ::testing::ElementsAre;
using testing::memory_toolkit;

class memory_settings final : public settings_store {
public:
    std::string read(std::string_view key) const override
    {
        const auto found = values.find(std::string(key));
        return found == values.end() ? "" : found->second;
    }
    void write(std::string_view key, const std::string& text) override
    {
        values[std::string(key)] = text;
        writes.push_back(std::string(key) + "=" + text);
    }
    std::map<std::string, std::string> values;
    std::vector<std::string> writes;
};

class recorded_links final : public link_opener {
public:
    void open(const std::string& address) override { opened.push_back(address); }
    std::vector<std::string> opened;
};

constexpr window_handle main_handle = 0x7001;
constexpr window_handle about_handle = 0x7002;

class WindowLogic : public ::testing::Test {
protected:
    WindowLogic()
    {
        news = desktop.open_window("News - Microsoft Internet Explorer", {50, 50, 900, 700});
        desktop.open_window("Editor");
        home = desktop.open_window("Home - Netscape", {10, 10, 700, 500}, show_state::maximised);
    }
    // Starts the program with `stored` in the settings store.
    void start(std::map<std::string, std::string> stored = {})
    {
        settings.values = std::move(stored);
        form.show();
    }
    std::vector<std::string> calls_starting(const std::string& prefix) const
    {
        std::vector<std::string> found;
        for (const std::string& call : desktop.calls()) {
            if (call.rfind(prefix, 0) == 0) found.push_back(call);
        }
        return found;
    }
    std::string place(window_handle window, int width, int height) const
    {
        return "place " + std::to_string(window) + " " + std::to_string(width) + "x" + std::to_string(height);
    }

    fake_window_system desktop;
    window_handle news = no_window;
    window_handle home = no_window;
    memory_settings settings;
    recorded_links links;
    memory_toolkit about_ui{about_box_layout(), about_handle};
    frmAboutTavrim about{about_ui, desktop, links};
    memory_toolkit ui{main_window_layout(), main_handle};
    Form_Tavrim form{ui, desktop, settings, about};
};

TEST_F(WindowLogic, FirstStartIsEnglishTopmostWithTheListFilledAndResizesNothing)
{
    start();
    EXPECT_EQ(ui.loads(), 1);
    EXPECT_EQ(ui.shows(), 1);
    EXPECT_EQ(ui.title(), "Mobrell Quenlow - Ver.: 1.1.2");
    EXPECT_EQ(ui.value(control::op_English), 1);
    EXPECT_EQ(ui.value(control::Chk_Auto), unchecked);
    EXPECT_EQ(ui.value(control::Chk_top), indeterminate);
    EXPECT_EQ(ui.value(control::Op_640), 1);
    EXPECT_THAT(ui.entries(), ElementsAre("Home - Netscape", "News - Microsoft Internet Explorer"));
    EXPECT_EQ(ui.list().text(), "Home - Netscape");
    // The language is stored, the untouched Fast Button box is not.
    EXPECT_THAT(settings.writes, ElementsAre("Chinese=0"));
    EXPECT_THAT(calls_starting("topmost"), ElementsAre("topmost " + std::to_string(main_handle) + " on"));
    EXPECT_TRUE(calls_starting("place").empty());
}

TEST_F(WindowLogic, StoredTextsAreReadAndWrittenBackNormalised)
{
    struct stored_case {
        std::string fast_button, chinese;
        int box;
        std::vector<std::string> writes;
        bool chinese_title;
    };
    const std::vector<stored_case> cases{
        {"1", "1", checked, {"FastButton=1", "Chinese=1"}, true},
        {"1.5", "00", indeterminate, {"FastButton=2", "Chinese=1"}, true},
        {" 2abc", " 0", indeterminate, {"FastButton=2", "Chinese=1"}, true},
        {"abc", "0", unchecked, {"Chinese=0"}, false},
        {"7", "", unchecked, {"Chinese=0"}, false},
    };
    for (const stored_case& c : cases) {
        memory_settings store;
        store.values = {{"FastButton", c.fast_button}, {"Chinese", c.chinese}};
        memory_toolkit window(main_window_layout(), main_handle);
        Form_Tavrim started(window, desktop, store, about);
        started.show();
        EXPECT_EQ(window.value(control::Chk_Auto), c.box) << c.fast_button;
        EXPECT_EQ(store.writes, c.writes) << c.fast_button << " / " << c.chinese;
        EXPECT_EQ(window.title().find("Mobrell") == std::string::npos, c.chinese_title) << c.chinese;
    }
}

TEST_F(WindowLogic, WhatTheDesktopNeedsIsToldOnceInTheChosenLanguage)
{
    start();
    EXPECT_TRUE(ui.told().empty());
    desktop.pending = {setup_step::other_shell_version, "51.0", "45, 46", "", "/home/u/extension"};
    for (const std::string chinese : {"1", "0"}) {
        memory_settings store;
        store.values = {{"Chinese", chinese}};
        memory_toolkit window(main_window_layout(), main_handle);
        Form_Tavrim started(window, desktop, store, about);
        started.show();
        started.show();
        ASSERT_EQ(window.told().size(), 1u) << chinese;
        const std::string& said = window.told()[0];
        EXPECT_NE(said.find(chinese == "1" ? "刪除" : "remove it"), std::string::npos) << said;
        for (const char* named : {"51.0", "45, 46", "/home/u/extension"}) {
            EXPECT_NE(said.find(named), std::string::npos) << said;
        }
    }
    // A desktop out of reach is told rather than shown as an empty list.
    desktop.pending = {};
    desktop.sought = "no display: nothing set";
    memory_settings store;
    memory_toolkit window(main_window_layout(), main_handle);
    Form_Tavrim started(window, desktop, store, about);
    started.show();
    ASSERT_EQ(window.told().size(), 1u);
    EXPECT_NE(window.told()[0].find("(no display: nothing set), so the list stays empty"), std::string::npos);
}

TEST_F(WindowLogic, FastButtonAppliesOnALeftReleaseOrAPickOnly)
{
    start({{"FastButton", "2"}});  // indeterminate counts as on
    ui.click(control::Op_800);
    EXPECT_EQ(calls_starting("place").back(), place(home, 800, 600));
    EXPECT_EQ(desktop.geometry(home), (rect{0, 0, 800, 600}));  // restored from maximised first

    desktop.forget_calls();
    ui.release(control::Op_1024, 2);  // right button
    ui.release(control::Op_1024, 4);  // middle button
    EXPECT_TRUE(calls_starting("place").empty());

    ui.pick(1);
    EXPECT_EQ(ui.tooltip(), "News - Microsoft Internet Explorer");
    EXPECT_THAT(calls_starting("place"), ElementsAre(place(news, 800, 600)));

    ui.click(control::Chk_Auto);  // off: only Change Size resizes
    EXPECT_EQ(settings.values["FastButton"], "1");
    ui.click(control::Chk_Auto);
    EXPECT_EQ(settings.values["FastButton"], "0");
    desktop.forget_calls();
    ui.click(control::Op_1280);
    ui.pick(0);
    EXPECT_EQ(ui.tooltip(), "Home - Netscape");
    EXPECT_TRUE(calls_starting("place").empty());
    ui.click(control::Com_Manual);
    EXPECT_THAT(calls_starting("place"), ElementsAre(place(home, 1280, 1024)));
}

TEST_F(WindowLogic, UpdateListAndChangeSizeFollowClosedAndRetitledBrowsers)
{
    start();
    desktop.close_window(home);
    desktop.forget_calls();
    ui.click(control::Com_Manual);
    EXPECT_TRUE(calls_starting("place").empty());

    desktop.set_title(news, "Other - Netscape");
    ui.click(control::Com_Update);
    EXPECT_THAT(ui.entries(), ElementsAre("Other - Netscape"));
    EXPECT_EQ(ui.tooltip(), "Other - Netscape");  // never a title that is gone
    desktop.close_window(news);
    ui.click(control::Com_Update);
    EXPECT_EQ(ui.list().text(), "");
    EXPECT_EQ(ui.tooltip(), "");
    desktop.forget_calls();
    ui.click(control::Com_Manual);
    EXPECT_TRUE(desktop.calls().empty());  // not even a lookup
}

TEST_F(WindowLogic, EachLanguageSwitchRewritesTheCaptionsAndStoresTheChoice)
{
    start();
    const std::string english_frame = ui.caption(control::Fm_Size);
    ui.click(control::op_Chinese);
    EXPECT_EQ(ui.title(), "  墨貝昆洛 - 版本 1.1.2");
    EXPECT_NE(ui.caption(control::Fm_Size), english_frame);
    ui.click(control::op_English);
    EXPECT_EQ(ui.caption(control::Fm_Size), english_frame);
    EXPECT_EQ(ui.caption(control::op_English), "English");
    EXPECT_THAT(settings.writes, ElementsAre("Chinese=0", "Chinese=1", "Chinese=0"));
    // Captions change nothing else.
    EXPECT_EQ(ui.value(control::Chk_top), indeterminate);
    EXPECT_EQ(ui.value(control::Op_640), 1);
}

TEST_F(WindowLogic, AlwaysOnTopFollowsTheBoxAndNeverReturnsToIndeterminate)
{
    start();
    desktop.forget_calls();
    const std::string handle = std::to_string(main_handle);
    ui.click(control::Chk_top);
    ui.click(control::Chk_top);
    ui.click(control::Chk_top);
    EXPECT_EQ(ui.value(control::Chk_top), checked);
    EXPECT_THAT(desktop.calls(), ElementsAre("topmost " + handle + " on", "topmost " + handle + " off",
                                             "topmost " + handle + " on"));
}

TEST_F(WindowLogic, TheWindowShrinksFreelyButSpringsToItsLimits)
{
    start();
    ui.drag_to({4000, 3000});
    EXPECT_EQ(ui.outer_size(), (twips_size{4000, 3000}));
    ui.drag_to({4000, 3675});
    EXPECT_EQ(ui.outer_size(), (twips_size{4000, 3840}));
    ui.drag_to({9000, 3674});
    EXPECT_EQ(ui.outer_size(), (twips_size{4950, 3674}));
}

TEST_F(WindowLogic, LogoOpensOneAboutBoxThatOkClosesAndTheNextClickBuildsAnew)
{
    start();
    ui.click(control::Img_Logo);
    ui.click(control::Img_Logo);
    EXPECT_EQ(about_ui.loads(), 1);
    EXPECT_EQ(about_ui.shows(), 2);
    EXPECT_EQ(about_ui.title(), "About me");
    EXPECT_EQ(about_ui.caption(control::lblVersion), "Version 1.1.2");
    EXPECT_EQ(about_ui.caption(control::lblTitle), "Mobrell Quenlow");
    const std::string about = std::to_string(about_handle);
    EXPECT_THAT(calls_starting("no-taskbar " + about), ::testing::SizeIs(1));
    EXPECT_THAT(calls_starting("topmost " + about), ElementsAre("topmost " + about + " on"));

    about_ui.click(control::lblWebAdd);
    about_ui.click(control::lblEMail);
    EXPECT_THAT(links.opened, ElementsAre(about_ui.caption(control::lblWebAdd),
                                          "mailto:" + about_ui.caption(control::lblEMail)));
    about_ui.click(control::cmdOK);
    EXPECT_FALSE(about_ui.loaded());
    ui.click(control::Img_Logo);
    EXPECT_EQ(about_ui.loads(), 2);
    EXPECT_EQ(about_ui.caption(control::lblVersion), "Version 1.1.2");
}

}  // namespace
}  // namespace quenlow
