// Another program's windows coming and going: creates windows on DISPLAY
// and, interleaved, retitles, maximises, iconifies and destroys them at
// random (fixed SEED), with at most MOST of them at a time, until it is
// terminated. Some titles name a browser, so they show up in the list and
// get resized while they change.
//   window_churn DISPLAY SEED MOST
#include "x_test_client.h"

#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <random>
#include <thread>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: window_churn DISPLAY SEED MOST\n");
        return 2;
    }
    quenlow::testing::x_test_client x(argv[1]);
    std::mt19937 random(static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)));
    const std::size_t most = std::strtoul(argv[3], nullptr, 10);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x.connection())).data;
    const xcb_atom_t net_wm_name = x.atom("_NET_WM_NAME");
    const xcb_atom_t utf8 = x.atom("UTF8_STRING");
    const auto title = [&](xcb_window_t w, const std::string& text) {
        xcb_change_property(x.connection(), XCB_PROP_MODE_REPLACE, w, net_wm_name, utf8, 8,
                            static_cast<std::uint32_t>(text.size()), text.data());
    };
    std::vector<xcb_window_t> alive;
    for (int step = 0;; ++step) {
        const int action = alive.size() < most ? int(random() % 6) : 5;
        if (action <= 1 || alive.empty()) {
            const xcb_window_t w = xcb_generate_id(x.connection());
            xcb_create_window(x.connection(), XCB_COPY_FROM_PARENT, w, x.root(), int16_t(random() % 800),
                              int16_t(random() % 600), uint16_t(100 + random() % 400), uint16_t(100 + random() % 300),
                              0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
            title(w, "Churn " + std::to_string(step) + (random() % 2 ? " - Netscape" : " - Editor"));
            xcb_map_window(x.connection(), w);
            alive.push_back(w);
        } else {
            const std::size_t pick = random() % alive.size();
            const xcb_window_t w = alive[pick];
            switch (action) {
            case 2: title(w, "Churn retitled " + std::to_string(random() % 1000) + " - Netscape"); break;
            case 3: x.maximise(w, false); break;
            case 4: x.iconify(w, false); break;
            default:
                xcb_destroy_window(x.connection(), w);
                alive.erase(alive.begin() + long(pick));
            }
        }
        x.flush();
        // A user's pace, not a flood.
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
}
