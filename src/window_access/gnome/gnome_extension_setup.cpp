#include "gnome_extension_setup.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quenlow {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// `folder`/gnome-shell/extensions/UUID when it holds a metadata.json.
std::string copy_in(const std::string& data_folder)
{
    if (data_folder.empty()) return {};
    const auto copy = std::filesystem::path(data_folder) / "gnome-shell" / "extensions" / gnome_extension_uuid;
    std::error_code error;
    return std::filesystem::is_regular_file(copy / "metadata.json", error) ? copy.string() : std::string();
}

}  // namespace

gnome_extension_copies find_gnome_extension_copies()
{
    gnome_extension_copies copies;
    std::string user_data = environment("XDG_DATA_HOME");
    if (user_data.empty() && !environment("HOME").empty()) user_data = environment("HOME") + "/.local/share";
    copies.per_user = copy_in(user_data);
    std::string system_data = environment("XDG_DATA_DIRS");
    if (system_data.empty()) system_data = "/usr/local/share:/usr/share";
    std::istringstream folders(system_data);
    for (std::string folder; copies.system.empty() && std::getline(folders, folder, ':');) {
        copies.system = copy_in(folder);
    }
    return copies;
}

std::string gnome_extension_versions(const std::string& folder)
{
    std::ifstream file(std::filesystem::path(folder) / "metadata.json");
    const auto metadata = nlohmann::json::parse(file, nullptr, false);
    std::string versions;
    if (!metadata.is_object() || !metadata.contains("shell-version") || !metadata["shell-version"].is_array()) {
        return versions;
    }
    for (const auto& version : metadata["shell-version"]) {
        if (!version.is_string()) continue;
        versions += (versions.empty() ? "" : ", ") + version.get<std::string>();
    }
    return versions;
}

bool gnome_extension_state_passing(const gnome_extension_info& info)
{
    namespace state = gnome_extension_state;
    return info.known && ((info.state == state::error && info.error.empty()) || info.state == state::downloading ||
                          info.state == state::disabling || info.state == state::enabling);
}

setup_need gnome_setup_need(const std::optional<gnome_extension_info>& info, std::optional<bool> user_extensions,
                            const std::string& shell_version, const gnome_extension_copies& copies)
{
    namespace state = gnome_extension_state;
    setup_need need;
    need.shell_version = shell_version;
    // A shell that does not answer says nothing either way: its windows are
    // simply not listed this time.
    if (!info) return need;
    if (info->known && info->state == state::enabled) return need;
    if (user_extensions == false) {
        need.step = setup_step::all_extensions_off;
        return need;
    }
    if (!info->known) {
        need.step = copies.per_user.empty() && copies.system.empty() ? setup_step::not_installed
                                                                     : setup_step::log_in_again;
        need.user_copy = copies.per_user;
        return need;
    }
    switch (info->state) {
    case state::disabled:
    case state::initialized:
        need.step = setup_step::switched_off;
        break;
    case state::out_of_date:
        need.step = setup_step::other_shell_version;
        need.extension_versions = gnome_extension_versions(info->path);
        // The user's own copy is read first and hides the one installed
        // for every user, which may well fit.
        if (info->per_user && !copies.system.empty()) need.user_copy = info->path;
        break;
    default:
        need.step = setup_step::failed_to_load;
        need.error = info->error;
        if (info->per_user && !copies.system.empty()) need.user_copy = info->path;
        break;
    }
    return need;
}

}  // namespace quenlow
