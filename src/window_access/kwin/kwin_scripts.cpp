#include "kwin_scripts.h"

#include "json_reader.h"

#include <charconv>

namespace quenlow {

namespace {

// A JavaScript string literal of `text`, which may hold anything.
std::string js_string(std::string_view text)
{
    std::string literal = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            literal += '\\';
            literal += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            static constexpr char hex[] = "0123456789abcdef";
            literal += "\\u00";
            literal += hex[byte >> 4];
            literal += hex[byte & 0xF];
        } else {
            literal += c;
        }
    }
    return literal + "\"";
}

// The common frame: the window list of either Plasma, a lookup by id, and
// report(text), which the body calls once it is done (a script error
// reports "").
std::string wrapped(const kwin_report_address& to, const std::string& body)
{
    return "(function () {\n"
           "var report = function (text) {\n"
           "  callDBus(" + js_string(to.service) + ", " + js_string(kwin_report_path) + ", " +
           js_string(kwin_report_interface) + ", " + js_string(kwin_report_method) + ", " + js_string(to.token) +
           ", text);\n"
           "};\n"
           "try {\n"
           "  var windows = typeof workspace.windowList === \"function\" ? workspace.windowList()\n"
           "                                                          : workspace.clientList();\n"
           "  // JSON.stringify writes a lone surrogate of a broken title as it is,\n"
           "  // which no UTF-8 reader takes: each becomes U+FFFD.\n"
           "  var wellFormed = function (text) {\n"
           "    return String(text).replace(/[\\ud800-\\udbff][\\udc00-\\udfff]|[\\ud800-\\udfff]/g,\n"
           "                                function (unit) { return unit.length === 2 ? unit : \"\\ufffd\"; });\n"
           "  };\n"
           "  var byId = function (id) {\n"
           "    for (var i = 0; i < windows.length; ++i)\n"
           "      if (String(windows[i].internalId) === id) return windows[i];\n"
           "    return null;\n"
           "  };\n" +
           body +
           "} catch (e) {\n"
           "  report(\"\");\n"
           "}\n"
           "})();\n";
}

}  // namespace

std::string kwin_list_script(const kwin_report_address& to)
{
    return wrapped(to,
                   "  var order = workspace.stackingOrder || windows;\n"
                   "  var result = [];\n"
                   "  for (var i = order.length - 1; i >= 0; --i) {\n"
                   "    var w = order[i];\n"
                   "    if (!w || !w.normalWindow) continue;\n"
                   "    var caption = String(w.caption).replace(/ <\\d+>\\u200e$/, \"\");\n"
                   "    result.push({id: String(w.internalId), caption: wellFormed(caption), pid: Number(w.pid) || 0});\n"
                   "  }\n"
                   "  report(JSON.stringify(result));\n");
}

std::string kwin_restore_script(const kwin_report_address& to, std::string_view id)
{
    return wrapped(to, "  var w = byId(" + js_string(id) + ");\n" +
                           R"(  if (!w) {
    report("");
  } else {
    var changed = w.fullScreen || w.minimized;
    if (w.fullScreen) w.fullScreen = false;
    if (w.minimized) w.minimized = false;
    var before = w.frameGeometry;
    w.setMaximize(false, false);
    var after = w.frameGeometry;
    changed = changed || before.width !== after.width || before.height !== after.height;
    report(changed ? "restored" : "normal");
  }
)");
}

std::string kwin_place_script(const kwin_report_address& to, std::string_view id, int width, int height,
                              int settle_ms)
{
    // Well within the runner's wait for a report.
    constexpr int answer_ms = 400;
    return wrapped(to, "  var w = byId(" + js_string(id) + ");\n  var target = {x: 0, y: 0, width: " +
                           std::to_string(width) + ", height: " + std::to_string(height) +
                           "};\n  var settle = " + std::to_string(settle_ms) + ";\n  var answer = " +
                           std::to_string(answer_ms) + ";\n" +
                           R"(  var placed = function () {
    var g = w.frameGeometry;
    return g.x === target.x && g.y === target.y && g.width === target.width && g.height === target.height;
  };
  var place = function () { if (!placed()) w.frameGeometry = target; };
  if (!w) {
    report("");
  } else {
    place();
    if (typeof workspace.raiseWindow === "function") workspace.raiseWindow(w);
    if ("activeWindow" in workspace) workspace.activeWindow = w;
    else workspace.activeClient = w;
    // The report says "ok" once the window has the place, else the size it
    // has: at once where it took it, else once the client has had a moment
    // to answer, or (settle > 0: a window shown for the first time, which
    // KWin places once more) once that moment is over, the place held.
    var timer = new QTimer();
    timer.singleShot = true;
    var changed = function () { if (settle > 0) place(); else if (placed()) finish(); };
    var finish = function () {
      timer.stop();
      w.frameGeometryChanged.disconnect(changed);
      var g = w.frameGeometry;
      report(placed() ? "ok" : Math.round(g.width) + "x" + Math.round(g.height));
    };
    if (settle <= 0 && placed()) {
      report("ok");
    } else {
      w.frameGeometryChanged.connect(changed);
      timer.timeout.connect(finish);
      timer.start(settle > 0 ? settle : answer);
    }
  }
)");
}

placement_result placement_from_report(std::string_view report)
{
    using outcome = placement_result::outcome;
    if (report == "ok") return {outcome::placed};
    if (report.empty()) return {outcome::gone};
    const auto cross = report.find('x');
    int width = 0, height = 0;
    const auto number = [](std::string_view digits, int& value) {
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return error == std::errc{} && end == digits.data() + digits.size();
    };
    if (cross == std::string_view::npos || !number(report.substr(0, cross), width) ||
        !number(report.substr(cross + 1), height)) {
        return {outcome::refused};
    }
    return {outcome::other_size, width, height};
}

std::string kwin_active_window_script(const kwin_report_address& to)
{
    return wrapped(to, R"(  var w = "activeWindow" in workspace ? workspace.activeWindow : workspace.activeClient;
  report(w ? String(w.internalId) : "");
)");
}

std::string kwin_own_windows_script(const kwin_report_address& to, std::int64_t pid)
{
    return wrapped(to, "  var pid = " + std::to_string(pid) + ";\n" +
                           R"(  var result = [];
  for (var i = 0; i < windows.length; ++i) {
    if (windows[i].pid === pid && !windows[i].popupWindow) result.push(String(windows[i].internalId));
  }
  report(JSON.stringify(result));
)");
}

std::string kwin_keep_above_script(const kwin_report_address& to, std::string_view id, bool above)
{
    return wrapped(to, "  var w = byId(" + js_string(id) + ");\n" +
                           "  if (w) w.keepAbove = " + (above ? "true" : "false") + ";\n" +
                           "  report(w ? \"ok\" : \"\");\n");
}

std::vector<kwin_window> parse_kwin_window_list(std::string_view report)
{
    std::vector<kwin_window> windows;
    const auto list = read_json(report);
    if (!list.is_array()) return windows;
    for (const auto& entry : list) {
        std::string id = json_string(entry, "id");
        const auto caption = entry.is_object() ? entry.find("caption") : entry.end();
        if (id.empty() || caption == entry.end() || !caption->is_string()) continue;
        windows.push_back({std::move(id), caption->get<std::string>(), json_integer(entry, "pid")});
    }
    return windows;
}

std::vector<std::string> parse_kwin_id_list(std::string_view report)
{
    std::vector<std::string> ids;
    const auto list = read_json(report);
    if (!list.is_array()) return ids;
    for (const auto& id : list) {
        if (id.is_string() && !id.get_ref<const std::string&>().empty()) ids.push_back(id.get<std::string>());
    }
    return ids;
}

}  // namespace quenlow
