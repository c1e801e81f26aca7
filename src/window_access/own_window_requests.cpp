#include "own_window_requests.h"

#include <algorithm>

namespace quenlow {

namespace {
bool contains(const std::vector<std::string>& ids, const std::string& id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}
}  // namespace

std::uint64_t own_window_requests::request(window_handle handle)
{
    const std::lock_guard lock(lock_);
    return ++entries_[handle].latest;
}

bool own_window_requests::latest(window_handle handle, std::uint64_t request)
{
    const std::lock_guard lock(lock_);
    return entries_[handle].latest == request;
}

own_window_requests::answer own_window_requests::resolve(window_handle handle, std::uint64_t request,
                                                         const std::vector<std::string>& open)
{
    const std::lock_guard lock(lock_);
    entry& wanted = entries_[handle];
    if (wanted.latest != request) return {true, {}};
    std::erase_if(entries_, [&](const auto& other) {
        return other.first != handle && !other.second.id.empty() && !contains(open, other.second.id);
    });
    if (!wanted.id.empty() && !contains(open, wanted.id)) wanted = entry{wanted.latest, {}, {}, false};
    if (wanted.id.empty()) {
        if (!wanted.looked) {
            wanted.open_at_first_look = open;
            wanted.looked = true;
        }
        std::vector<std::string> candidates;
        for (const std::string& id : open) {
            const bool named = std::any_of(entries_.begin(), entries_.end(),
                                           [&](const auto& other) { return other.second.id == id; });
            if (!named && !contains(wanted.open_at_first_look, id)) candidates.push_back(id);
        }
        if (candidates.size() == 1) wanted.id = candidates.front();
    }
    return {false, wanted.id};
}

}  // namespace quenlow
