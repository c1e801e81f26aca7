// Many refreshes and Change Size commands while another program makes,
// retitles, maximises, iconifies and destroys windows at random: nothing
// crashes or hangs, and each target window the program resized ends at the
// size it asked for.
#include "browser_list.h"
#include "child_process.h"
#include "eventually.h"
#include "resize_command.h"
#include "x11_window_system.h"
#include "x_session.h"
#include "x_test_client.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

using testing::child_process;
using testing::eventually;
using testing::to_string;
using testing::x_rect;
using testing::x_session;
using testing::x_test_client;

struct counting_list final : window_list_sink {
    std::vector<std::string> items;
    void clear() override { items.clear(); }
    void add_item(const std::string& title) override { items.push_back(title); }
    std::string item(std::size_t i) const override { return i < items.size() ? items[i] : std::string(); }
    void set_text(const std::string&) override {}
};

TEST(Stress, RefreshesAndResizesWhileWindowsChurn)
{
    x_session session;
    x_test_client client(session.display());
    auto backend = x11_window_system::connect(session.display().c_str());
    ASSERT_NE(backend, nullptr);

    std::vector<xcb_window_t> targets;
    for (int i = 0; i < 4; ++i) {
        targets.push_back(client.create_titled("Target " + std::to_string(i) + " - Netscape", {100 + 50 * i, 100, 300, 200}));
    }
    // At most 50 of its windows at a time, churning until it is stopped.
    child_process churn({WINDOW_CHURN_PROGRAM, session.display(), "20261208", "50"});

    int refreshes = 0, resizes = 0, churned_resizes = 0, misplaced = 0;
    std::size_t most_listed = 0;
    counting_list list;
    // At least 1000 refreshes, 200 checked resizes and 50 of churning
    // windows, all while the windows churn.
    for (; refreshes < 1000 || resizes < 200 || churned_resizes < 50; ++refreshes) {
        ASSERT_LT(refreshes, 200000) << "no churning window was listed to resize";
        ASSERT_TRUE(churn.running()) << "the churn ended by itself, exit code " << churn.exit_code();
        refresh_browser_list(*backend, list);
        most_listed = std::max(most_listed, list.items.size());
        if (refreshes % 5 != 0) continue;
        // Every fifth refresh: Change Size on a churning window from the
        // list, unchecked, and on one of our targets, checked.
        for (const std::string& title : list.items) {
            if (churned_resizes < 100 && title.rfind("Churn", 0) == 0) {
                resize_window_titled(*backend, title, {640, 480});
                ++churned_resizes;
                break;
            }
        }
        if (resizes >= 200) continue;
        const size_preset& preset = size_presets[std::size_t(resizes) % size_presets.size()];
        const std::size_t which = std::size_t(resizes) % targets.size();
        const window_handle resized = resize_window_titled(
            *backend, "Target " + std::to_string(which) + " - Netscape", {preset.width, preset.height});
        EXPECT_EQ(resized, targets[which]);
        x_rect seen;
        if (!eventually([&] { return (seen = client.visible_rect(targets[which])) == x_rect{0, 0, preset.width, preset.height}; })) {
            ADD_FAILURE() << "target " << which << " at " << to_string(seen) << " after " << preset.caption;
            ++misplaced;
        }
        ++resizes;
    }
    std::printf("refreshes %d, checked resizes %d (misplaced %d), resizes of churning windows %d, "
                "most windows listed %zu\n", refreshes, resizes, misplaced, churned_resizes, most_listed);
    EXPECT_GE(refreshes, 1000);
    EXPECT_EQ(resizes, 200);
    EXPECT_EQ(misplaced, 0);
    EXPECT_GT(most_listed, targets.size());
}

}  // namespace
}  // namespace quenlow
