#include "atspi_page_area.h"

#include "accessibility_bus.h"
#include "accessibility_switch.h"
#include "interruption.h"
#include "page_search.h"

#include <thread>

namespace quenlow {

using namespace atspi;

namespace {

// How long a browser may take to come onto the accessibility bus once the
// desktop's accessibility is switched on (Firefox joins then, within about
// 100 ms); a browser that will not join (Chromium) is told after it.
constexpr auto joining_bound = std::chrono::milliseconds{2000};
constexpr auto asking_interval = std::chrono::milliseconds{50};
// A browser that has just come onto the bus builds its tree as it is asked
// (Firefox): its frame and page may show a moment later.
constexpr auto building_bound = std::chrono::milliseconds{3000};

bool firefox_like(const std::string& title)
{
    for (const char* name : {"Mozilla Firefox", "Firefox Developer Edition", "Firefox Nightly"}) {
        if (title.ends_with(name)) return true;
    }
    return false;
}

// What the user can do for the browser of `title`.
std::string joining_advice(const std::string& title, bool switched)
{
    const std::string firefox =
        switched ? "Firefox joins once the desktop's accessibility is on; if it does not, start it as "
                   "GNOME_ACCESSIBILITY=1 firefox"
                 : "start Firefox with accessibility on: GNOME_ACCESSIBILITY=1 firefox";
    const std::string chromium = "start the browser as ACCESSIBILITY_ENABLED=1 chromium --force-renderer-accessibility "
                                 "(Chrome, Edge, Brave, Opera and Vivaldi alike)";
    if (firefox_like(title)) return firefox;
    return chromium + "; " + firefox;
}

constexpr char no_page_advice[] =
    "the browser shows no page to accessibility; Chrome, Chromium, Edge, Brave, Opera and Vivaldi show it only when "
    "started with --force-renderer-accessibility: start the browser with that option";

bool sized(const extents& where) { return where.width > 0 && where.height > 0; }

// The page and its frame as the browser tells them: whether those are sides
// a screen can have, page sizing judges, as for every reader.
page_reading reading_of(const extents& page, const extents& frame)
{
    page_reading reading;
    reading.found = true;
    reading.width = page.width;
    reading.height = page.height;
    if (sized(frame)) {
        reading.frame_width = frame.width;
        reading.frame_height = frame.height;
    }
    return reading;
}

// Waits `interval` unless that passes `deadline` or the run is interrupted.
bool pause(clock::time_point deadline, std::chrono::milliseconds interval)
{
    if (interruption_requested() || clock::now() + interval >= deadline) return false;
    std::this_thread::sleep_for(interval);
    return !interruption_requested();
}

}  // namespace

atspi_page_area::atspi_page_area(bool may_switch_accessibility) : may_switch_(may_switch_accessibility) {}

atspi_page_area::~atspi_page_area()
{
    switch_.reset();  // puts the switch back while the bus is there
}

page_reading atspi_page_area::read(const page_window& window, clock::time_point deadline)
{
    if (!bus_ && unreachable_.empty()) {
        bus_ = accessibility_bus::connect(deadline, unreachable_);
        if (bus_) switch_ = std::make_unique<accessibility_switch>(*bus_);
    }
    if (!bus_) return page_not_found(unreachable_);
    bus_->set_deadline(deadline);
    bus_->clear_timed_out();
    if (document_ && document_->window == window.window) {
        const object_ref document{document_->owner, document_->path};
        const auto states = bus_->states(document);
        const auto page = states && has(*states, state::showing) ? bus_->extents_of(document) : std::nullopt;
        if (page && sized(*page)) {
            const auto frame = bus_->extents_of({document_->frame_owner, document_->frame_path});
            return reading_of(*page, frame.value_or(extents{}));
        }
        if (bus_->timed_out()) return page_not_found("the browser did not answer in time (asked for its page's size)");
        document_.reset();  // another tab, another page, or the browser closed
    }
    return find_document(window, deadline);
}

page_reading atspi_page_area::find_document(const page_window& window, clock::time_point deadline)
{
    // By the window's process; else by its title.
    const auto application_of_window = [&] {
        auto found = window.process_id != 0 ? application_of_process(*bus_, window.process_id) : std::nullopt;
        return found ? found : application_showing(*bus_, window.title);
    };
    std::optional<object_ref> application = application_of_window();
    bool switched = false;
    if (!application && !bus_->timed_out()) {
        switched = may_switch_ && switch_->turn_on();
        for (const auto end = std::min(deadline, clock::now() + joining_bound);
             !application && !bus_->timed_out() && clock::now() < end && pause(deadline, asking_interval);) {
            application = application_of_window();
        }
    }
    if (!application) {
        if (bus_->timed_out()) {
            return page_not_found("the accessibility bus did not answer in time (asked for the browser)");
        }
        if (interruption_requested()) return page_not_found("interrupted");
        return page_not_found("the browser is not on the desktop's accessibility bus; " +
                              joining_advice(window.title, switched || may_switch_));
    }
    bool framed = false;
    for (const auto end = std::min(deadline, clock::now() + building_bound);;) {
        if (const auto frame = frame_of(*bus_, *application, window.title, window.client)) {
            framed = true;
            if (const auto page = page_of(*bus_, frame->frame)) {
                document_ = document{window.window, frame->frame.owner, frame->frame.path, page->document.owner,
                                     page->document.path};
                return reading_of(page->where, frame->where);
            }
        }
        if (bus_->timed_out() || clock::now() >= end || !pause(end, asking_interval)) break;
    }
    if (bus_->timed_out()) {
        return page_not_found("the browser did not answer accessibility in time (asked for its page)");
    }
    if (interruption_requested()) return page_not_found("interrupted");
    if (!framed) return page_not_found("the browser shows none of its windows to accessibility by this one's title");
    return page_not_found(no_page_advice);
}

}  // namespace quenlow
