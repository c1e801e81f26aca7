#include "i3_tree.h"

#include "json_reader.h"

#include <algorithm>

namespace quenlow {

namespace {

using json = nlohmann::json;

std::int64_t integer(const json& node, const char* key) { return json_integer(node, key); }
bool flag(const json& node, const char* key) { return json_bool(node, key); }
std::string text(const json& node, const char* key) { return json_string(node, key); }

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

// The children of a container, floating ones marked, most recently
// focused first (its "focus" list names them in that order), then the rest
// in the tree's order.
std::vector<std::pair<const json*, bool>> children_by_focus(const json& node)
{
    std::vector<std::pair<const json*, bool>> all;
    for (const auto& [key, floating] : {std::pair{"nodes", false}, std::pair{"floating_nodes", true}}) {
        if (const json* some = children(node, key)) {
            for (const json& child : *some) all.emplace_back(&child, floating);
        }
    }
    std::vector<std::int64_t> focus;
    if (const json* order = children(node, "focus")) {
        for (const json& id : *order) {
            if (id.is_number_integer()) focus.push_back(id.get<std::int64_t>());
        }
    }
    const auto rank = [&](const std::pair<const json*, bool>& child) {
        const auto at = std::find(focus.begin(), focus.end(), integer(*child.first, "id"));
        return at - focus.begin();
    };
    std::stable_sort(all.begin(), all.end(), [&](const auto& a, const auto& b) { return rank(a) < rank(b); });
    return all;
}

void walk(const json& node, bool floating, bool in_scratchpad, std::vector<i3_view>& views, int depth)
{
    if (!node.is_object() || depth > 256) return;
    const std::string type = text(node, "type");
    if (type == "workspace") in_scratchpad = text(node, "name") == "__i3_scratch";
    floating = floating || type == "floating_con";
    const auto inside = children_by_focus(node);
    if (inside.empty() && (type == "con" || type == "floating_con") && holds_client(node)) {
        views.push_back({integer(node, "id"), text(node, "name"), rect(node, "rect"), rect(node, "window_rect"),
                         rect(node, "deco_rect"), static_cast<int>(integer(node, "fullscreen_mode")), floating, flag(node, "focused"),
                         flag(node, "sticky"), in_scratchpad, integer(node, "pid"), integer(node, "window")});
        return;
    }
    for (const auto& [child, floating_child] : inside) walk(*child, floating || floating_child, in_scratchpad, views, depth + 1);
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
    walk(read_json(tree), false, false, views, 0);
    return views;
}

bool i3_command_succeeded(std::string_view reply)
{
    const json outcomes = read_json(reply);
    if (!outcomes.is_array() || outcomes.empty()) return false;
    for (const json& outcome : outcomes) {
        if (!outcome.is_object() || !flag(outcome, "success")) return false;
    }
    return true;
}

}  // namespace quenlow
