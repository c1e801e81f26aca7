#pragma once
// What keeps the program's GNOME Shell extension from working, told from
// what GNOME Shell says of it and from the folders GNOME Shell reads
// extensions from, so that the user is told what to do rather than shown
// an empty list.

#include "gnome_shell_bus.h"
#include "window_system.h"

#include <optional>
#include <string>

namespace quenlow {

// The copies of the extension where GNOME Shell looks for them: the user's
// own folder ($XDG_DATA_HOME, else ~/.local/share) first, then each of
// $XDG_DATA_DIRS (else /usr/local/share:/usr/share); "" where there is none.
struct gnome_extension_copies {
    std::string per_user;
    std::string system;
};
gnome_extension_copies find_gnome_extension_copies();

// The GNOME Shell versions the metadata.json in `folder` names, as
// "45, 46"; "" when it names none or cannot be read.
std::string gnome_extension_versions(const std::string& folder);

// Whether the state is one GNOME Shell passes through while it loads or
// unloads an extension (GNOME Shell 50 shows an error with no words for a
// moment while it loads one): to be read again before anything is said.
bool gnome_extension_state_passing(const gnome_extension_info& info);

// What the user has to do, from GNOME Shell's word on the extension (none
// when it did not answer), on extensions as a whole, its version, and the
// copies on disk.
setup_need gnome_setup_need(const std::optional<gnome_extension_info>& info, std::optional<bool> user_extensions,
                            const std::string& shell_version, const gnome_extension_copies& copies);

}  // namespace quenlow
