#pragma once
// The program's own identity, from the build's one version record: what the
// main window's title and the About box show.

#include "captions.h"

#include <string>

namespace quenlow {

struct application_info {
    version_triple version;      // major, minor and the record's fourth number
    std::string title;           // "Mobrell Quenlow"
    std::string legal_copyright;
    std::string author;
    std::string web_address;
    std::string email_address;
};

const application_info& current_application();

}  // namespace quenlow
