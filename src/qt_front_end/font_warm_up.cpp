#include "font_warm_up.h"

#include <system_error>

#ifdef QUENLOW_HAS_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace quenlow {

font_warm_up::font_warm_up()
{
#ifdef QUENLOW_HAS_FONTCONFIG
    try {
        helper_ = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // Out of threads: start-up is only slower.
    }
#endif
}

font_warm_up::~font_warm_up() { wait(); }

void font_warm_up::wait()
{
    if (helper_.joinable()) helper_.join();
}

}  // namespace quenlow
