#pragma once
// The settings store in the registry, where earlier versions of the program
// kept it: REG_SZ values under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Mobrell\Tavrim.
// A value that is missing or not a string reads as "". Failures are silent,
// as the settings_store contract says.

#include "settings_store.h"

namespace quenlow {

class registry_settings_store final : public settings_store {
public:
    std::string read(std::string_view key) const override;
    void write(std::string_view key, const std::string& text) override;
};

}  // namespace quenlow
