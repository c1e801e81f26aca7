#pragma once

#include <thread>

namespace quenlow {

// Reads the system's font configuration on a helper thread while the
// program sets up its window system and settings, so that the first
// caption's layout finds it loaded instead of parsing it then. Parsing that
// configuration (a few dozen XML files) is the largest single cost of
// showing the window.
//
// Start it after the toolkit's application object, which sets the process
// locale: setlocale must not run while fontconfig's parser reads numbers.
//
// Where fonts are not configured through fontconfig (Windows), or no thread
// can be started, it does nothing and the toolkit loads the configuration
// itself on first use. It loads the same process-wide configuration the
// toolkit would; that loading is thread-safe, so a toolkit call that comes
// before wait() only repeats the work.
class font_warm_up {
public:
    font_warm_up();
    ~font_warm_up();
    font_warm_up(const font_warm_up&) = delete;
    font_warm_up& operator=(const font_warm_up&) = delete;

    // Returns once the configuration is loaded; later calls return at once.
    void wait();

private:
    std::thread helper_;
};

}  // namespace quenlow
