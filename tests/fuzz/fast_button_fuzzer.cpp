// Any stored Fast Button text reads as one of the box's three states, the
// same way every time, and a state read back from its own text is itself.
#include "stored_values.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const int state = quenlow::fast_button_state_from_text(text);
    if (state < 0 || state > 2) std::abort();
    if (quenlow::fast_button_state_from_text(text) != state) std::abort();
    if (quenlow::fast_button_state_from_text(quenlow::fast_button_text(state)) != state) std::abort();
    return 0;
}
