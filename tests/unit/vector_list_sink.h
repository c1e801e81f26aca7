#pragma once
// A list box stand-in: the entries and which one is selected.

#include "browser_list.h"

#include <optional>
#include <string>
#include <vector>

namespace quenlow::testing {

class vector_list_sink final : public window_list_sink {
public:
    std::vector<std::string> items;
    std::optional<std::size_t> selected;

    void clear() override
    {
        items.clear();
        selected.reset();
    }
    void add_item(const std::string& title) override { items.push_back(title); }
    std::string item(std::size_t index) const override
    {
        return index < items.size() ? items[index] : std::string{};
    }
    void set_text(const std::string& text) override
    {
        selected.reset();
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i] == text) {
                selected = i;
                return;
            }
        }
    }
    std::string text() const { return selected ? items[*selected] : std::string{}; }
};

}  // namespace quenlow::testing
