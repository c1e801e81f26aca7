#pragma once
// A local page that puts its innerWidth x innerHeight (the page area, what
// CSS breakpoints test) in its title on load and on every resize, so a test
// reads the page's size from the window's title. It has a heading: Firefox
// on sway left a page with an empty body at its size when its window grew.

#include <filesystem>
#include <fstream>

namespace quenlow::testing {

inline void write_sized_page(const std::filesystem::path& file)
{
    std::ofstream(file) << "<!doctype html><meta charset=\"utf-8\"><title>Sized</title><script>"
                           "const tell = () => document.title = innerWidth + 'x' + innerHeight;"
                           "addEventListener('load', tell); addEventListener('resize', tell);</script><h1>Sized</h1>\n";
}

}  // namespace quenlow::testing
