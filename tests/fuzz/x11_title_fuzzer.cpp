// Title bytes of any X property type decode to valid UTF-8, the same way
// every time. The first byte picks the property type.
#include "x11_title_decoder.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const auto encoding = static_cast<quenlow::x11_text_encoding>(data[0] % 3);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string text = quenlow::decode_x11_title(bytes, encoding);
    if (quenlow::sanitize_utf8(text) != text) std::abort();
    if (text.find('\0') != std::string::npos) std::abort();
    if (quenlow::decode_x11_title(bytes, encoding) != text) std::abort();
    return 0;
}
