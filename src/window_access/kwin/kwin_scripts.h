#pragma once
// The small KWin scripts the KWin backend runs, and the reading of what they
// report. Each script ends by handing one string back to the program over
// D-Bus; the text of the scripts and the format of that string live here
// together, as plain functions, so they are tested without KWin.
//
// The scripts run on Plasma 5.27 and Plasma 6 alike: where the two differ
// (workspace.clientList / windowList, activeClient / activeWindow) they
// use whichever the running KWin has.

#include "window_system.h"

#include <cstdint>

#include <string>
#include <string_view>
#include <vector>

namespace quenlow {

// Where a script sends its report: the program's unique bus name and the
// object and method it serves.
struct kwin_report_address {
    std::string service;
    std::string token;  // tells this run's report from a late one of an earlier run
};

inline constexpr char kwin_report_path[] = "/org/mobrell/Quenlow";
inline constexpr char kwin_report_interface[] = "org.mobrell.Quenlow.Report";
inline constexpr char kwin_report_method[] = "report";

// Every normal window, top of the stacking order first, as a JSON array of
// {"id": KWin's id, "caption": its title}. The caption is the
// window's own title: KWin tells X11 windows of equal titles apart by a
// suffix of its own (" <2>" and a left-to-right mark), which scripts cannot
// ask it to leave out, so the script takes it off.
std::string kwin_list_script(const kwin_report_address& to);
// Un-minimises, un-maximises and leaves full screen the window with that
// id; reports "restored" when that changed it, "normal" when not.
std::string kwin_restore_script(const kwin_report_address& to, std::string_view id);
// Makes the window's frame (0, 0, width, height) and raises and activates
// it. With `settle_ms`, keeps it there for that long against KWin placing a
// window it shows for the first time, before reporting. Reports "ok" once
// the frame is there, else its size as "WIDTHxHEIGHT"; "" for no window.
// What a place script's report says.
placement_result placement_from_report(std::string_view report);
std::string kwin_place_script(const kwin_report_address& to, std::string_view id, int width, int height,
                              int settle_ms);
// The id of KWin's active window, or "" when none is active.
std::string kwin_active_window_script(const kwin_report_address& to);
// The ids of this process's windows, as a JSON array of strings.
std::string kwin_own_windows_script(const kwin_report_address& to, std::int64_t pid);
// Sets keep-above of the window with that id.
std::string kwin_keep_above_script(const kwin_report_address& to, std::string_view id, bool above);

struct kwin_window {
    std::string id;
    std::string caption;
    std::int64_t pid = 0;  // the client's process; 0 when KWin does not say
    friend bool operator==(const kwin_window&, const kwin_window&) = default;
};

// The windows a list script reported; nothing for a report that is not a
// JSON array, and entries without a non-empty id or a caption string are
// skipped.
std::vector<kwin_window> parse_kwin_window_list(std::string_view report);

// The ids an own-windows script reported: the array's non-empty strings.
std::vector<std::string> parse_kwin_id_list(std::string_view report);

}  // namespace quenlow
