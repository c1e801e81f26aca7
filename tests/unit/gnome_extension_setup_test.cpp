// What the program makes of GNOME Shell's word on its extension and of the
// copies on disk: the step the user is told, and the words it needs.
#include "gnome_extension_setup.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace quenlow {
namespace {

namespace state = gnome_extension_state;

// An extension folder under `data` whose metadata.json says `metadata`.
std::string put_copy(const std::filesystem::path& data, const std::string& metadata)
{
    const auto folder = data / "gnome-shell" / "extensions" / gnome_extension_uuid;
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "metadata.json") << metadata;
    return folder.string();
}

TEST(GnomeExtensionSetup, CopiesAreFoundWhereGnomeShellLooksAndTheirVersionsRead)
{
    const testing::scratch_folder scratch;
    const auto user = scratch.path() / "user", first = scratch.path() / "first", second = scratch.path() / "second";
    const std::string system_copy = put_copy(second, R"({"shell-version": ["45", 46, "50"]})");
    ::setenv("XDG_DATA_HOME", user.c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (first.string() + ":" + second.string()).c_str(), 1);
    EXPECT_EQ(find_gnome_extension_copies().per_user, "");
    EXPECT_EQ(find_gnome_extension_copies().system, system_copy);
    const std::string user_copy = put_copy(user, "not json");
    EXPECT_EQ(find_gnome_extension_copies().per_user, user_copy);
    EXPECT_EQ(gnome_extension_versions(system_copy), "45, 50");  // what is not text is left out
    EXPECT_EQ(gnome_extension_versions(user_copy), "");
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_DATA_DIRS");
}

TEST(GnomeExtensionSetup, TheStepToldFollowsWhatGnomeShellAndTheDiskSay)
{
    const gnome_extension_copies none, user_only{"/home/u/ext", ""}, both{"/home/u/ext", "/usr/share/ext"};
    const auto info = [](int s, bool per_user = false, std::string error = "") {
        return gnome_extension_info{true, s, std::move(error), "/home/u/ext", per_user};
    };
    // Nothing to say when GNOME Shell did not answer; every extension
    // switched off is told, not the state it leaves ours in.
    EXPECT_EQ(gnome_setup_need(std::nullopt, true, "", none).step, setup_step::none);
    EXPECT_EQ(gnome_setup_need(info(state::initialized), false, "48.7", both).step, setup_step::all_extensions_off);
    // Unknown to the shell: a log-in helps only where a copy is.
    EXPECT_EQ(gnome_setup_need(gnome_extension_info{}, true, "50.5", none).step, setup_step::not_installed);
    EXPECT_EQ(gnome_setup_need(gnome_extension_info{}, true, "50.5", user_only).step, setup_step::log_in_again);
    // A user's own copy is named as hiding the system one only when there is one.
    EXPECT_EQ(gnome_setup_need(info(state::out_of_date, true), true, "50.5", both).user_copy, "/home/u/ext");
    EXPECT_EQ(gnome_setup_need(info(state::out_of_date, true), true, "50.5", user_only).user_copy, "");
    // GNOME Shell 50 shows an error with no words while it loads.
    EXPECT_TRUE(gnome_extension_state_passing(info(state::error)));
    EXPECT_FALSE(gnome_extension_state_passing(info(state::error, false, "SyntaxError: x")));
}

}  // namespace
}  // namespace quenlow
