#include "application_info.h"

#include "app_version.h"

namespace quenlow {

const application_info& current_application()
{
    static const application_info info{
        {build_info::version_major, build_info::version_minor, build_info::version_revision},
        build_info::title,
        build_info::legal_copyright,
        build_info::author,
        build_info::web_address,
        build_info::email_address,
    };
    return info;
}

}  // namespace quenlow
