#pragma once
// Links through ShellExecuteW with the default verb; the shell's answer is
// ignored, as link_opener says.

#include "link_opener.h"
#include "win32_text.h"

#include <shellapi.h>

namespace quenlow {

class shell_link_opener final : public link_opener {
public:
    void open(const std::string& address) override
    {
        ShellExecuteW(nullptr, nullptr, wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
};

}  // namespace quenlow
