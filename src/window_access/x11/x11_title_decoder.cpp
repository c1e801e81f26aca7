#include "x11_title_decoder.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace quenlow {

namespace {

constexpr std::string_view replacement = "\xEF\xBF\xBD";

void append_code_point(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Length of the valid UTF-8 sequence at the start of `s`, or 0.
std::size_t valid_sequence_length(std::string_view s)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    std::uint32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) { length = 2; cp = lead & 0x1F; }
    else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; cp = lead & 0x0F; }
    else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; cp = lead & 0x07; }
    else return 0;
    if (s.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    if (overlong || surrogate || cp > 0x10FFFF) return 0;
    return length;
}

// Converts `bytes` from `charset` to UTF-8 with iconv; what iconv cannot
// convert becomes U+FFFD.
void append_converted(std::string& out, const char* charset, std::string_view bytes)
{
    if (bytes.empty()) return;
    const iconv_t cd = iconv_open("UTF-8", charset);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        out += replacement;
        return;
    }
    std::string input(bytes);
    char* in = input.data();
    std::size_t in_left = input.size();
    char buffer[256];
    while (in_left > 0) {
        char* outp = buffer;
        std::size_t out_left = sizeof buffer;
        const std::size_t result = iconv(cd, &in, &in_left, &outp, &out_left);
        out.append(buffer, outp);
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += replacement;  // an invalid or incomplete character: skip one byte
            ++in;
            --in_left;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
}

// COMPOUND_TEXT: ISO 2022 with GL starting as ASCII and GR as the right half
// of Latin-1, plus X's UTF-8 and extended segments.
class compound_text_decoder {
public:
    explicit compound_text_decoder(std::string_view bytes) : in_(bytes) {}

    std::string decode()
    {
        while (at_ < in_.size()) {
            const unsigned char c = in_[at_];
            if (c == 0x1B) {
                escape();
            } else if (c == 0x9B) {
                skip_direction_sequence();
            } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
                if (c == '\t' || c == '\n') add(nullptr, char(c));
                else add(nullptr, replacement);
                ++at_;
            } else if (c < 0x80) {
                add(gl_, char(c | (gl_high_ ? 0x80 : 0)));
                ++at_;
            } else {
                add(gr_, char(c));
                ++at_;
            }
        }
        flush();
        return out_;
    }

private:
    // Queues `bytes` for conversion from `charset`; nullptr means already UTF-8.
    void add(const char* charset, std::string_view bytes)
    {
        if (charset != pending_charset_) flush();
        pending_charset_ = charset;
        pending_ += bytes;
    }
    void add(const char* charset, char byte) { add(charset, std::string_view(&byte, 1)); }

    void flush()
    {
        if (pending_charset_ == nullptr) {
            out_ += sanitize_utf8(pending_);
        } else if (pending_charset_ == latin1_) {
            for (unsigned char c : pending_) append_code_point(out_, c);
        } else {
            append_converted(out_, pending_charset_, pending_);
        }
        pending_.clear();
        pending_charset_ = nullptr;
    }

    static const char* ninety_six_set(char final)
    {
        switch (final) {
        case 'A': return latin1_;
        case 'B': return "ISO-8859-2";
        case 'C': return "ISO-8859-3";
        case 'D': return "ISO-8859-4";
        case 'F': return "ISO-8859-7";
        case 'G': return "ISO-8859-6";
        case 'H': return "ISO-8859-8";
        case 'L': return "ISO-8859-5";
        case 'M': return "ISO-8859-9";
        case 'b': return "ISO-8859-15";
        default: return nullptr;
        }
    }
    // Two-byte sets, read through their EUC forms (both bytes with the high bit).
    static const char* ninety_four_squared_set(char final)
    {
        switch (final) {
        case 'A': return "EUC-CN";
        case 'B': return "EUC-JP";
        case 'C': return "EUC-KR";
        default: return nullptr;
        }
    }

    void escape()
    {
        const std::string_view rest = in_.substr(at_);
        const auto at = [&](std::size_t i) { return i < rest.size() ? rest[i] : '\0'; };
        if (at(1) == '(' && (at(2) == 'B' || at(2) == 'J')) {
            gl_ = latin1_;  // ASCII is Latin-1's left half
            gl_high_ = false;
            at_ += 3;
        } else if (at(1) == '-' && ninety_six_set(at(2))) {
            gr_ = ninety_six_set(at(2));
            at_ += 3;
        } else if (at(1) == '$' && (at(2) == '(' || at(2) == ')') && ninety_four_squared_set(at(3))) {
            if (at(2) == '(') {
                gl_ = ninety_four_squared_set(at(3));
                gl_high_ = true;
            } else {
                gr_ = ninety_four_squared_set(at(3));
            }
            at_ += 4;
        } else if (at(1) == '%' && at(2) == 'G') {
            utf8_segment();
        } else if (at(1) == '%' && at(2) == '/' && at(3) >= '0' && at(3) <= '4') {
            extended_segment();
        } else {
            add(nullptr, replacement);
            ++at_;
        }
    }

    // ESC % G <UTF-8> ESC % @
    void utf8_segment()
    {
        at_ += 3;
        const std::size_t end = in_.find("\x1B%@", at_);
        const std::size_t stop = end == std::string_view::npos ? in_.size() : end;
        add(nullptr, in_.substr(at_, stop - at_));
        at_ = end == std::string_view::npos ? in_.size() : end + 3;
    }

    // ESC % / F M L <encoding name> STX <bytes>; (M-128)*128 + (L-128)
    // bytes follow the length, name and STX included.
    void extended_segment()
    {
        if (at_ + 6 > in_.size()) {
            add(nullptr, replacement);
            at_ = in_.size();
            return;
        }
        const unsigned m = static_cast<unsigned char>(in_[at_ + 4]);
        const unsigned l = static_cast<unsigned char>(in_[at_ + 5]);
        const std::size_t length = (m & 0x7F) * 128 + (l & 0x7F);
        const std::size_t start = at_ + 6;
        const std::string_view segment = in_.substr(start, length);
        at_ = start + segment.size();
        const std::size_t stx = segment.find('\x02');
        if (stx == std::string_view::npos) {
            add(nullptr, replacement);
            return;
        }
        const std::string_view name = segment.substr(0, stx);
        const std::string_view text = segment.substr(stx + 1);
        const char* charset = nullptr;
        if (name == "iso10646-1") charset = "UCS-2BE";
        else if (name == "big5-0") charset = "BIG5";
        else if (name == "gbk-0") charset = "GBK";
        else if (name == "utf-8") charset = "UTF-8";
        if (charset) add(charset, text);
        else add(nullptr, replacement);
    }

    // CSI ... final byte: direction changes, which a title has no use for.
    void skip_direction_sequence()
    {
        ++at_;
        while (at_ < in_.size()) {
            const unsigned char c = in_[at_++];
            if (c >= 0x40 && c <= 0x7E) break;
        }
    }

    static constexpr const char* latin1_ = "ISO-8859-1";
    std::string_view in_;
    std::size_t at_ = 0;
    const char* gl_ = latin1_;
    bool gl_high_ = false;  // two-byte sets in GL are read with the high bit set
    const char* gr_ = latin1_;
    const char* pending_charset_ = nullptr;
    std::string pending_;
    std::string out_;
};

}  // namespace

std::string sanitize_utf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = valid_sequence_length(bytes.substr(at));
        if (length == 0) {
            out += replacement;
            ++at;
        } else {
            out.append(bytes.substr(at, length));
            at += length;
        }
    }
    return out;
}

std::string decode_x11_title(std::string_view bytes, x11_text_encoding encoding)
{
    bytes = bytes.substr(0, bytes.find('\0'));
    switch (encoding) {
    case x11_text_encoding::utf8:
        return sanitize_utf8(bytes);
    case x11_text_encoding::latin1: {
        std::string out;
        out.reserve(bytes.size());
        for (unsigned char c : bytes) append_code_point(out, c);
        return out;
    }
    case x11_text_encoding::compound_text:
        return compound_text_decoder(bytes).decode();
    }
    return {};
}

}  // namespace quenlow
