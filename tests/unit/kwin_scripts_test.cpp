// What the KWin scripts report, read back; and text from outside (window
// ids, the bus name) never breaks out of the script's string literals.
#include "kwin_scripts.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

TEST(KWinWindowList, ReportsAreReadAsJsonAndOddEntriesSkipped)
{
    const std::string report = R"([{"id": "{a1}", "caption": "Home - Netscape"},
        {"id": "{b2}", "caption": "\u9996\u9801\ttab\nline \ud83c\udf10 \"quoted\""},
        {"id": "", "caption": "no id"}, {"caption": "no id either"}, {"id": "{c3}"},
        {"id": 7, "caption": "a number for an id"}, "not an object",
        {"id": "{d4}", "caption": ""}])";
    const std::vector<kwin_window> windows = parse_kwin_window_list(report);
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[0], (kwin_window{"{a1}", "Home - Netscape"}));
    EXPECT_EQ(windows[1], (kwin_window{"{b2}", "\xE9\xA6\x96\xE9\xA0\x81\ttab\nline \xF0\x9F\x8C\x90 \"quoted\""}));
    EXPECT_EQ(windows[2], (kwin_window{"{d4}", ""}));
    // Broken or truncated reports, and a lone surrogate, give nothing.
    for (const char* broken : {"", "{}", "[{\"id\": \"{a1}\", \"caption\": \"cut", "{a1}\tHome - Netscape\n",
                               "[{\"id\": \"{a1}\", \"caption\": \"\\ud800\"}]"}) {
        EXPECT_TRUE(parse_kwin_window_list(broken).empty()) << broken;
    }
    EXPECT_EQ(parse_kwin_id_list(R"(["{a1}", "", 3, "{b2}"])"), (std::vector<std::string>{"{a1}", "{b2}"}));
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
