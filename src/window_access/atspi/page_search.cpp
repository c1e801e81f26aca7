#include "page_search.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <thread>

namespace quenlow::atspi {

namespace {

// How many objects of the browser's own bars and panels a search looks at
// before it gives up: the page is a few levels below the frame.
constexpr int search_limit = 4000;
// Firefox answers -1 for the size at the very first question while it lays
// its tree out: asked again this often while the deadline allows.
constexpr auto unsized_interval = std::chrono::milliseconds{20};
constexpr auto unsized_bound = std::chrono::milliseconds{1000};

bool is_frame(std::optional<std::uint32_t> kind) { return kind == role::frame || kind == role::window; }

// How far the frame's rectangle is from the window's.
long distance(const extents& a, const window_rect& b)
{
    return std::labs(long{a.x} - b.x) + std::labs(long{a.y} - b.y) + std::labs(long{a.width} - b.width) +
           std::labs(long{a.height} - b.height);
}

// The document's size once the browser has one for it: Firefox tells -1
// while it lays out a tree it has just built. An empty one (Chromium keeps
// 0 x 0 documents in frames of its own) is none.
std::optional<extents> sized(accessibility_bus& bus, const object_ref& document)
{
    for (const auto end = clock::now() + unsized_bound;; std::this_thread::sleep_for(unsized_interval)) {
        const auto where = bus.extents_of(document);
        if (!where || where->width == 0 || where->height == 0) return std::nullopt;
        if (where->width > 0 && where->height > 0) return where;
        if (clock::now() >= end || bus.timed_out()) return std::nullopt;
    }
}

}  // namespace

std::optional<object_ref> application_of_process(accessibility_bus& bus, std::uint32_t pid)
{
    for (object_ref& candidate : bus.applications()) {
        if (bus.process_of(candidate.owner) == pid) return std::move(candidate);
        if (bus.timed_out()) break;
    }
    return std::nullopt;
}

std::optional<object_ref> application_showing(accessibility_bus& bus, const std::string& title)
{
    if (title.empty()) return std::nullopt;
    for (object_ref& candidate : bus.applications()) {
        for (const object_ref& child : bus.children(candidate)) {
            if (is_frame(bus.role_of(child)) && bus.name(child) == title) return std::move(candidate);
            if (bus.timed_out()) return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<frame_found> frame_of(accessibility_bus& bus, const object_ref& application, const std::string& title,
                                    const window_rect& client)
{
    std::vector<frame_found> titled, named, frames;
    std::optional<frame_found> active;
    for (object_ref& child : bus.children(application)) {
        if (!is_frame(bus.role_of(child))) continue;
        const std::string named_as = bus.name(child);
        const extents where = bus.extents_of(child).value_or(extents{});
        frame_found found{std::move(child), where};
        if (named_as == title) titled.push_back(found);
        const auto bits = bus.states(found.frame);
        if (bits && has(*bits, state::active)) active = found;
        if (!named_as.empty()) named.push_back(found);
        frames.push_back(std::move(found));
        if (bus.timed_out()) return std::nullopt;
    }
    // The one at the window's place.
    const auto nearest = [&](const std::vector<frame_found>& among) -> std::optional<frame_found> {
        if (among.size() == 1) return among.front();
        if (among.empty() || !client.known()) return std::nullopt;
        return *std::min_element(among.begin(), among.end(), [&](const frame_found& a, const frame_found& b) {
            return distance(a.where, client) < distance(b.where, client);
        });
    };
    if (!titled.empty()) {
        // Several windows of one title: the active one where the window
        // system does not tell where the window is.
        if (auto found = nearest(titled)) return found;
        return active ? active : std::optional<frame_found>{titled.front()};
    }
    if (frames.size() == 1) return frames.front();
    if (named.size() == 1) return named.front();
    if (auto found = nearest(frames)) return found;
    return active;
}

std::optional<page_found> page_of(accessibility_bus& bus, const object_ref& frame)
{
    // The frame says which document it shows (Firefox and Chromium do).
    for (const object_ref& embedded : bus.related(frame, relation_embeds)) {
        if (const auto where = sized(bus, embedded)) return page_found{embedded, *where};
    }
    std::deque<object_ref> queue{frame};
    for (int looked_at = 0; !queue.empty() && looked_at < search_limit && !bus.timed_out(); ++looked_at) {
        const object_ref object = std::move(queue.front());
        queue.pop_front();
        for (object_ref& child : bus.children(object)) {
            const auto bits = bus.states(child);
            if (!bits || !has(*bits, state::showing)) continue;
            if (bus.role_of(child) != role::document_web) {
                queue.push_back(std::move(child));
                continue;
            }
            if (const auto where = sized(bus, child)) return page_found{std::move(child), *where};
        }
    }
    return std::nullopt;
}

}  // namespace quenlow::atspi
