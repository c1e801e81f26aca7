// Reading i3's and sway's trees: which containers are windows, where each
// is hidden, floating or full screen, and the rectangle a user sees of it.
#include "i3_tree.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

TEST(I3Tree, WindowsAreTheLeavesWithAClientAndTheirVisibleRectCountsTheTitleBarOnce)
{
    // An i3 floating window (title bar inside rect), a sway one (title bar
    // above rect), a tiled full-screen Wayland view, a scratchpad window,
    // an empty placeholder, and fields of the wrong type.
    const char* tree = R"({"type": "root", "nodes": [
      {"type": "output", "name": "HEADLESS-1", "nodes": [
        {"type": "workspace", "name": "1", "nodes": [
          {"type": "con", "id": 3, "name": "Tiled - Chromium", "app_id": "chromium", "pid": 7,
           "fullscreen_mode": 1, "focused": true, "rect": {"x": 0, "y": 0, "width": 1280, "height": 1024}}],
         "floating_nodes": [
          {"type": "floating_con", "id": 4, "nodes": [
            {"type": "con", "id": 5, "name": "i3 - Netscape", "window": 4194307,
             "rect": {"x": 0, "y": 0, "width": 800, "height": 600},
             "window_rect": {"x": 2, "y": 20, "width": 796, "height": 578},
             "deco_rect": {"x": 0, "y": 0, "width": 800, "height": 20}}]},
          {"type": "floating_con", "id": 6, "name": "sway - Brave", "shell": "xdg_shell", "pid": "not a number",
           "rect": {"x": 0, "y": 27, "width": 800, "height": 573},
           "window_rect": {"x": 2, "y": 0, "width": 796, "height": 571},
           "deco_rect": {"x": 0, "y": 0, "width": 800, "height": 27}}]},
        {"type": "con", "id": 8, "name": "placeholder", "nodes": []}]},
      {"type": "output", "name": "__i3", "nodes": [
        {"type": "workspace", "name": "__i3_scratch", "floating_nodes": [
          {"type": "floating_con", "id": 9, "name": null, "window": 77}]}]}]})";
    const std::vector<i3_view> views = i3_views(tree);
    ASSERT_EQ(views.size(), 4u);
    EXPECT_EQ(views[0].id, 3);
    EXPECT_EQ(views[0].fullscreen_mode, 1);
    EXPECT_TRUE(views[0].focused);
    EXPECT_FALSE(views[0].floating);
    EXPECT_EQ(views[0].pid, 7);
    EXPECT_EQ(views[1].x11_window, 4194307);
    EXPECT_TRUE(views[1].floating);
    EXPECT_EQ(visible_rect(views[1]), (i3_rect{0, 0, 800, 600}));
    EXPECT_EQ(views[2].pid, 0);
    EXPECT_EQ(visible_rect(views[2]), (i3_rect{0, 0, 800, 600}));
    EXPECT_TRUE(views[3].in_scratchpad);
    EXPECT_EQ(views[3].name, "");
    EXPECT_FALSE(views[1].in_scratchpad);

    EXPECT_TRUE(i3_views("not JSON").empty());
    EXPECT_TRUE(i3_views(R"({"nodes": "not a list"})").empty());
    EXPECT_TRUE(i3_command_succeeded(R"([{"success": true}, {"success": true}])"));
    EXPECT_FALSE(i3_command_succeeded(R"([{"success": true}, {"success": false, "error": "No matching node"}])"));
    EXPECT_FALSE(i3_command_succeeded("[]"));
}

TEST(I3Tree, ALatin1TitleSpoilsNoOtherAndWindowsComeMostRecentlyFocusedFirst)
{
    // Workspace 2 was focused last, and in it the floating window; the
    // tiled window's title is Latin-1 (an XWayland client's), not UTF-8.
    const std::string tree = "{\"type\": \"root\", \"focus\": [20, 10], \"nodes\": ["
        "{\"type\": \"workspace\", \"id\": 10, \"name\": \"1\", \"nodes\": ["
        "  {\"type\": \"con\", \"id\": 11, \"name\": \"Hidden - Chromium\", \"window\": 1}]},"
        "{\"type\": \"workspace\", \"id\": 20, \"name\": \"2\", \"focus\": [22, 21], \"nodes\": ["
        "  {\"type\": \"con\", \"id\": 21, \"name\": \"Caf\xe9 - Chromium\", \"window\": 2}],"
        " \"floating_nodes\": [{\"type\": \"floating_con\", \"id\": 22, \"nodes\": ["
        "  {\"type\": \"con\", \"id\": 23, \"name\": \"Top - Brave\", \"app_id\": \"brave\"}]}]}]}";
    const std::vector<i3_view> views = i3_views(tree);
    ASSERT_EQ(views.size(), 3u);
    EXPECT_EQ(views[0].id, 23);
    EXPECT_TRUE(views[0].floating);
    EXPECT_EQ(views[1].name, "Caf\u00e9 - Chromium");
    EXPECT_EQ(views[2].id, 11);
}

}  // namespace
}  // namespace quenlow
