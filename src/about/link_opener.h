#pragma once
// Hands an address (a web page, or "mailto:" and an e-mail address) to the
// user's default program. Whatever goes wrong is ignored: nothing is shown
// for it and nothing changes.

#include <string>

namespace quenlow {

class link_opener {
public:
    virtual ~link_opener() = default;
    virtual void open(const std::string& address) = 0;
};

}  // namespace quenlow
