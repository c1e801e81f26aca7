#include "i3_tree.h"

#include <nlohmann/json.hpp>

namespace quenlow {

namespace {

using json = nlohmann::json;

std::int64_t integer(const json& node, const char* key)
{
    const auto found = node.find(key);
    return found != node.end() && found->is_number_integer() ? found->get<std::int64_t>() : 0;
}

bool flag(const json& node, const char* key)
{
    const auto found = node.find(key);
    return found != node.end() && found->is_boolean() && found->get<bool>();
}

std::string text(const json& node, const char* key)
{
    const auto found = node.find(key);
    return found != node.end() && found->is_string() ? found->get<std::string>() : std::string();
}

i3_rect rect(const json& node, const char* key)
{
    const auto found = node.find(key);
    if (found == node.end() || !found->is_object()) return {};
    const auto side = [&](const char* name) { return static_cast<int>(integer(*found, name)); };
    return {side("x"), side("y"), side("width"), side("height")};
}

const json* children(const json& node, const char* key)
{
    const auto found = node.find(key);
    return found != node.end() && found->is_array() && !found->empty() ? &*found : nullptr;
}

// A leaf that holds a client: an X11 window (i3, sway's XWayland) or a
// Wayland view (sway).
bool holds_client(const json& node)
{
    const auto window = node.find("window");
    return (window != node.end() && window->is_number_integer()) || !text(node, "shell").empty() ||
           !text(node, "app_id").empty();
}

void walk(const json& node, bool floating, bool in_scratchpad, std::vector<i3_view>& views, int depth)
{
    if (!node.is_object() || depth > 256) return;
    const std::string type = text(node, "type");
    if (type == "workspace") in_scratchpad = text(node, "name") == "__i3_scratch";
    floating = floating || type == "floating_con";
    const json* tiled = children(node, "nodes");
    const json* floating_children = children(node, "floating_nodes");
    if (!tiled && !floating_children && (type == "con" || type == "floating_con") && holds_client(node)) {
        views.push_back({integer(node, "id"), text(node, "name"), rect(node, "rect"), rect(node, "window_rect"),
                         rect(node, "deco_rect"), static_cast<int>(integer(node, "fullscreen_mode")), floating, flag(node, "focused"),
                         flag(node, "sticky"), in_scratchpad, integer(node, "pid"), integer(node, "window")});
        return;
    }
    if (tiled) {
        for (const json& child : *tiled) walk(child, floating, in_scratchpad, views, depth + 1);
    }
    if (floating_children) {
        for (const json& child : *floating_children) walk(child, true, in_scratchpad, views, depth + 1);
    }
}

}  // namespace

i3_rect visible_rect(const i3_view& view)
{
    i3_rect outer = view.rect;
    const int title = view.deco_rect.height;
    if (title > 0 && view.window_rect.y < title) {
        outer.y -= title;
        outer.height += title;
    }
    return outer;
}

std::vector<i3_view> i3_views(std::string_view tree)
{
    std::vector<i3_view> views;
    walk(json::parse(tree, nullptr, false), false, false, views, 0);
    return views;
}

bool i3_command_succeeded(std::string_view reply)
{
    const json outcomes = json::parse(reply, nullptr, false);
    if (!outcomes.is_array() || outcomes.empty()) return false;
    for (const json& outcome : outcomes) {
        if (!outcome.is_object() || !flag(outcome, "success")) return false;
    }
    return true;
}

}  // namespace quenlow
