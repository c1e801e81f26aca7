#include "atspi_page_area.h"

#include "sd_bus_owners.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <thread>
#include <utility>
#include <vector>

namespace quenlow {

namespace {

using clock = std::chrono::steady_clock;

constexpr char accessible_interface[] = "org.a11y.atspi.Accessible";
constexpr char component_interface[] = "org.a11y.atspi.Component";
constexpr char root_path[] = "/org/a11y/atspi/accessible/root";
// AT-SPI's numbers (atspi-constants.h): roles and states.
constexpr std::uint32_t role_frame = 23, role_window = 69, role_document_web = 95;
constexpr unsigned state_active = 1, state_showing = 25;
constexpr std::uint32_t screen_coordinates = 0;

// One call may take this long; a whole search for the page this long. A
// browser that builds its tree at the first question answers within it.
constexpr std::uint64_t call_timeout_us = 1'000'000;
constexpr auto search_bound = std::chrono::milliseconds{3000};
// How many objects of the browser's own bars and panels a search looks at
// before it gives up: the page is a few levels below the frame.
constexpr int search_limit = 4000;
// Firefox answers -1 for the size at the very first question while it lays
// its tree out: asked again this often, for this long.
constexpr auto unsized_interval = std::chrono::milliseconds{20};
constexpr auto unsized_bound = std::chrono::milliseconds{1000};

constexpr char chromium_advice[] =
    "Chrome, Chromium, Edge, Brave, Opera and Vivaldi show it only when started with "
    "--force-renderer-accessibility: start the browser with that option";
constexpr char joining_advice[] =
    "start the browser with accessibility on: Firefox as GNOME_ACCESSIBILITY=1 firefox; Chrome, Chromium, Edge, "
    "Brave, Opera and Vivaldi as ACCESSIBILITY_ENABLED=1 chromium --force-renderer-accessibility";
// How long a browser may take to come onto the accessibility bus once the
// desktop's accessibility is switched on (Firefox joins then, within about
// 100 ms); a browser that will not join (Chromium) is told after it.
constexpr auto joining_bound = std::chrono::milliseconds{2000};
constexpr auto joining_interval = std::chrono::milliseconds{50};

struct object_ref {
    std::string owner, path;
};

bool has(std::uint64_t states, unsigned state) { return (states >> state) & 1u; }

}  // namespace

struct atspi_page_area::bus {
    sd_bus* session = nullptr;
    sd_bus* accessibility = nullptr;
    ~bus()
    {
        sd_bus_flush_close_unref(accessibility);
        sd_bus_flush_close_unref(session);
    }

    // A method call on the accessibility bus; the reply, or nullptr.
    template <class... Args>
    bool call(message_ref& reply, const object_ref& object, const char* interface, const char* member,
              const char* types = nullptr, Args... args)
    {
        bus_error error;
        return sd_bus_call_method(accessibility, object.owner.c_str(), object.path.c_str(), interface, member,
                                  &error.error, &reply.message, types, args...) >= 0;
    }

    std::vector<object_ref> children(const object_ref& object)
    {
        std::vector<object_ref> found;
        message_ref reply;
        if (!call(reply, object, accessible_interface, "GetChildren")) return found;
        if (sd_bus_message_enter_container(reply.message, 'a', "(so)") <= 0) return found;
        const char* owner = nullptr;
        const char* path = nullptr;
        while (sd_bus_message_read(reply.message, "(so)", &owner, &path) > 0) {
            if (owner && path && *owner) found.push_back({owner, path});
        }
        return found;
    }

    std::optional<std::uint32_t> role(const object_ref& object)
    {
        message_ref reply;
        std::uint32_t role = 0;
        if (!call(reply, object, accessible_interface, "GetRole") ||
            sd_bus_message_read(reply.message, "u", &role) <= 0) {
            return std::nullopt;
        }
        return role;
    }

    // The object's states as bits; nothing when it does not answer.
    std::optional<std::uint64_t> states(const object_ref& object)
    {
        message_ref reply;
        if (!call(reply, object, accessible_interface, "GetState")) return std::nullopt;
        const void* words = nullptr;
        std::size_t size = 0;
        if (sd_bus_message_read_array(reply.message, 'u', &words, &size) < 0) return std::nullopt;
        std::uint64_t bits = 0;
        const auto* word = static_cast<const std::uint32_t*>(words);
        for (std::size_t i = 0; i < size / 4 && i < 2; ++i) bits |= std::uint64_t{word[i]} << (32 * i);
        return bits;
    }

    std::string name(const object_ref& object)
    {
        bus_error error;
        char* text = nullptr;
        if (sd_bus_get_property_string(accessibility, object.owner.c_str(), object.path.c_str(), accessible_interface,
                                       "Name", &error.error, &text) < 0) {
            return {};
        }
        std::string name = text ? text : "";
        free(text);
        return name;
    }

    // The object's width and height; nothing when it does not answer.
    std::optional<std::pair<int, int>> size(const object_ref& object)
    {
        message_ref reply;
        std::int32_t x = 0, y = 0, width = 0, height = 0;
        if (!call(reply, object, component_interface, "GetExtents", "u", screen_coordinates) ||
            sd_bus_message_read(reply.message, "(iiii)", &x, &y, &width, &height) <= 0) {
            return std::nullopt;
        }
        return std::pair{int{width}, int{height}};
    }

    // The application object of process `pid` on the accessibility bus.
    std::optional<object_ref> application_of(std::uint32_t pid)
    {
        for (object_ref& candidate : children({"org.a11y.atspi.Registry", root_path})) {
            if (process_of(candidate.owner) == pid) return std::move(candidate);
        }
        return std::nullopt;
    }

    // The application object that shows a frame named `title`: for a
    // window whose process the window system does not tell, or tells as
    // another than the accessibility bus knows (a browser in a sandbox of
    // its own, such as Flatpak's, with its own process numbers).
    std::optional<object_ref> application_showing(const std::string& title)
    {
        if (title.empty()) return std::nullopt;
        for (object_ref& candidate : children({"org.a11y.atspi.Registry", root_path})) {
            for (const object_ref& child : children(candidate)) {
                const auto kind = role(child);
                if ((kind == role_frame || kind == role_window) && name(child) == title) return std::move(candidate);
            }
        }
        return std::nullopt;
    }

    // The frame of the window titled `title` in `application`: by its title;
    // else the only frame, the only one with a name (Chromium keeps nameless
    // frames of its own, and may keep a frame's name from before the page
    // changed its title), or the active one.
    std::optional<object_ref> frame_of(const object_ref& application, const std::string& title)
    {
        std::vector<object_ref> frames, named;
        std::optional<object_ref> active;
        for (object_ref& child : children(application)) {
            const auto kind = role(child);
            if (kind != role_frame && kind != role_window) continue;
            const std::string named_as = name(child);
            if (named_as == title) return std::move(child);
            const auto bits = states(child);
            if (bits && has(*bits, state_active)) active = child;
            if (!named_as.empty()) named.push_back(child);
            frames.push_back(std::move(child));
        }
        return frames.size() == 1 ? frames.front() : named.size() == 1 ? named.front() : active;
    }

    // The showing page (document web) below `frame` and its size, breadth
    // first through the showing objects; nothing when none shows by
    // `deadline` or within search_limit objects.
    std::optional<std::pair<object_ref, std::pair<int, int>>> showing_page(const object_ref& frame,
                                                                            clock::time_point deadline)
    {
        std::deque<object_ref> queue{frame};
        for (int looked_at = 0; !queue.empty() && looked_at < search_limit && clock::now() < deadline; ++looked_at) {
            const object_ref object = std::move(queue.front());
            queue.pop_front();
            for (object_ref& child : children(object)) {
                const auto bits = states(child);
                if (!bits || !has(*bits, state_showing)) continue;
                if (role(child) != role_document_web) {
                    queue.push_back(std::move(child));
                    continue;
                }
                // The page; its size is -1 while the browser first lays out
                // the tree it just built.
                for (auto unsized_end = clock::now() + unsized_bound;; std::this_thread::sleep_for(unsized_interval)) {
                    const auto extent = size(child);
                    if (!extent) break;
                    if (extent->first > 0 && extent->second > 0) return std::pair{std::move(child), *extent};
                    if (clock::now() >= unsized_end) break;
                }
            }
        }
        return std::nullopt;
    }

    // The desktop's accessibility switch (org.a11y.Status IsEnabled);
    // nothing when it cannot be read.
    std::optional<bool> accessibility_on()
    {
        bus_error error;
        message_ref reply;
        int on = 0;
        if (sd_bus_get_property(session, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Status", "IsEnabled",
                                &error.error, &reply.message, "b") < 0 ||
            sd_bus_message_read(reply.message, "b", &on) <= 0) {
            return std::nullopt;
        }
        return on != 0;
    }

    bool switch_accessibility(bool on)
    {
        bus_error error;
        return sd_bus_set_property(session, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Status", "IsEnabled",
                                   &error.error, "b", on ? 1 : 0) >= 0;
    }

    std::optional<std::uint32_t> process_of(const std::string& owner)
    {
        message_ref reply;
        bus_error error;
        std::uint32_t pid = 0;
        if (sd_bus_call_method(accessibility, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                               "GetConnectionUnixProcessID", &error.error, &reply.message, "s", owner.c_str()) < 0 ||
            sd_bus_message_read(reply.message, "u", &pid) <= 0) {
            return std::nullopt;
        }
        return pid;
    }
};

atspi_page_area::atspi_page_area() = default;

atspi_page_area::~atspi_page_area()
{
    if (bus_ && switched_on_) bus_->switch_accessibility(false);
}

std::string atspi_page_area::reach_accessibility_bus()
{
    if (bus_) return {};
    auto reached = std::make_unique<bus>();
    if (sd_bus_open_user(&reached->session) < 0) {
        return "there is no session bus (D-Bus), which the accessibility bus the page area is read on needs";
    }
    sd_bus_set_method_call_timeout(reached->session, call_timeout_us);
    message_ref reply;
    bus_error error;
    const char* address = nullptr;
    if (sd_bus_call_method(reached->session, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                           &error.error, &reply.message, nullptr) < 0 ||
        sd_bus_message_read(reply.message, "s", &address) <= 0 || !address || !*address) {
        return "the accessibility bus does not answer (org.a11y.Bus on the session bus): install at-spi2-core "
               "and log in again";
    }
    if (sd_bus_new(&reached->accessibility) < 0 || sd_bus_set_address(reached->accessibility, address) < 0 ||
        sd_bus_set_bus_client(reached->accessibility, 1) < 0 || sd_bus_start(reached->accessibility) < 0) {
        return std::string("the accessibility bus at ") + address + " does not let this program in";
    }
    sd_bus_set_method_call_timeout(reached->accessibility, call_timeout_us);
    bus_ = std::move(reached);
    return {};
}

page_reading atspi_page_area::read(const page_window& window)
{
    if (std::string why = reach_accessibility_bus(); !why.empty()) return {false, 0, 0, why};
    if (document_ && document_->window == window.window) {
        const object_ref known{document_->owner, document_->path};
        const auto states = bus_->states(known);
        const auto size = states && has(*states, state_showing) ? bus_->size(known) : std::nullopt;
        if (size && size->first > 0 && size->second > 0) return {true, size->first, size->second, {}};
        document_.reset();  // another tab, another page, or the browser closed
    }
    return find_document(window);
}

page_reading atspi_page_area::find_document(const page_window& window)
{
    // By the window's process; else by its title.
    const auto application_of_window = [&] {
        auto found = window.process_id != 0 ? bus_->application_of(window.process_id) : std::nullopt;
        return found ? found : bus_->application_showing(window.title);
    };
    std::optional<object_ref> application = application_of_window();
    // Firefox on X11 comes onto the accessibility bus once the desktop's
    // accessibility is switched on: it is, for as long as this reader
    // lives, and back off after (Firefox stays). On Wayland, and for
    // Chromium, only accessibility on at the browser's start does. Asked
    // again a while, for Firefox to join or a new title to reach the bus.
    if (!application) {
        if (!switched_on_ && bus_->accessibility_on() == false && bus_->switch_accessibility(true)) {
            switched_on_ = true;
        }
        for (const auto end = clock::now() + joining_bound; !application && clock::now() < end;) {
            std::this_thread::sleep_for(joining_interval);
            application = application_of_window();
        }
    }
    if (!application) {
        return {false, 0, 0, "the browser is not on the desktop's accessibility bus; " + std::string(joining_advice)};
    }
    // A browser that has just come onto the bus builds its tree as it is
    // asked (Firefox): its frame and page may show a moment later.
    const auto deadline = clock::now() + search_bound;
    bool framed = false;
    while (true) {
        if (const auto frame = bus_->frame_of(*application, window.title)) {
            framed = true;
            if (const auto page = bus_->showing_page(*frame, deadline)) {
                document_ = document{window.window, page->first.owner, page->first.path};
                return {true, page->second.first, page->second.second, {}};
            }
        }
        if (clock::now() >= deadline) break;
        std::this_thread::sleep_for(joining_interval);
    }
    if (!framed) return {false, 0, 0, "the browser shows none of its windows to accessibility by this one's title"};
    return {false, 0, 0, "the browser shows no page to accessibility; " + std::string(chromium_advice)};
}

}  // namespace quenlow
