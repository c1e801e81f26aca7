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

TEST(GnomeExtensionSetup, ASystemCopyIsFoundInAnyDataFolderAndItsVersionsRead)
{
    const testing::scratch_folder scratch;
    const auto first = scratch.path() / "first", second = scratch.path() / "second";
    const std::string system_copy = put_copy(second, R"({"shell-version": ["45", 46, "50"]})");
    ::setenv("XDG_DATA_DIRS", (first.string() + ":" + second.string()).c_str(), 1);
    EXPECT_EQ(find_gnome_extension_copies().system, system_copy);
    EXPECT_EQ(gnome_extension_versions(system_copy), "45, 50");  // what is not text is left out
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
    // A user's own copy is named as hiding the system one only when there is one.
    EXPECT_EQ(gnome_setup_need(info(state::out_of_date, true), true, "50.5", both).user_copy, "/home/u/ext");
    EXPECT_EQ(gnome_setup_need(info(state::out_of_date, true), true, "50.5", user_only).user_copy, "");
    // GNOME Shell 50 shows an error with no words while it loads.
    EXPECT_TRUE(gnome_extension_state_passing(info(state::error)));
    EXPECT_FALSE(gnome_extension_state_passing(info(state::error, false, "SyntaxError: x")));
}

}  // namespace
}  // namespace quenlow
