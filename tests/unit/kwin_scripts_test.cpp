// What the KWin scripts report, read back; and text from outside (window
// ids, the bus name) never breaks out of the script's string literals.
#include "kwin_scripts.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

TEST(KWinWindowList, CaptionsArePercentDecodedAndBrokenLinesSkipped)
{
    const std::string report = "{a1}\tHome%20-%20Netscape\n"
                                "{b2}\t%E9%A6%96%E9%A0%81%09tab%0Aline%25\n"  // 首頁, a tab, a newline, %
                                "no tab here\n"
                                "\tno id\n"
                                "\n"
                                "{c3}\tbroken %G1 and %4\n"
                                "{d4}\t";
    const std::vector<kwin_window> windows = parse_kwin_window_list(report);
    ASSERT_EQ(windows.size(), 4u);
    EXPECT_EQ(windows[0], (kwin_window{"{a1}", "Home - Netscape"}));
    EXPECT_EQ(windows[1], (kwin_window{"{b2}", "\xE9\xA6\x96\xE9\xA0\x81\ttab\nline%"}));
    EXPECT_EQ(windows[2], (kwin_window{"{c3}", "broken %G1 and %4"}));
    EXPECT_EQ(windows[3], (kwin_window{"{d4}", ""}));
    EXPECT_TRUE(parse_kwin_window_list("").empty());
}

TEST(KWinScripts, OutsideTextStaysInsideItsStringLiteral)
{
    const kwin_report_address to{":1.42\"); evil(\"", "7-1"};
    const std::string hostile_id = "{x}\"); workspace.windowList()[0].closeWindow(); (\"\\\n";
    // Each appears whole inside one literal, its quotes and line break escaped.
    const std::string id_literal = R"("{x}\"); workspace.windowList()[0].closeWindow(); (\"\\\u000a")";
    const std::string service_literal = R"(":1.42\"); evil(\"")";
    for (const std::string& script :
         {kwin_restore_script(to, hostile_id), kwin_place_script(to, hostile_id, 800, 600, 150),
          kwin_keep_above_script(to, hostile_id, true)}) {
        EXPECT_NE(script.find(id_literal), std::string::npos) << script;
        EXPECT_NE(script.find(service_literal), std::string::npos) << script;
    }
}

}  // namespace
}  // namespace quenlow
