#include "font_warm_up.h"

#ifdef QUENLOW_HAS_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace quenlow {

font_warm_up::font_warm_up()
{
#ifdef QUENLOW_HAS_FONTCONFIG
    helper_ = std::thread([] { FcInit(); });
#endif
}

font_warm_up::~font_warm_up() { wait(); }

void font_warm_up::wait()
{
    if (helper_.joinable()) helper_.join();
}

}  // namespace quenlow
