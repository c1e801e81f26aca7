#include "x11_title_decoder.h"

#include <gtest/gtest.h>

namespace quenlow {
namespace {

std::string compound(std::string_view bytes)
{
    return decode_x11_title(bytes, x11_text_encoding::compound_text);
}

TEST(X11TitleDecoder, Latin1BytesBecomeUtf8)
{
    EXPECT_EQ(decode_x11_title("Caf\xE9 \xFF", x11_text_encoding::latin1), "Café ÿ");
}

TEST(X11TitleDecoder, InvalidUtf8IsReplacedNotDropped)
{
    EXPECT_EQ(decode_x11_title("a\xFF" "b", x11_text_encoding::utf8), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(sanitize_utf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");          // overlong '/'
    EXPECT_EQ(sanitize_utf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
    EXPECT_EQ(sanitize_utf8("\xE4\xB8"), "\xEF\xBF\xBD\xEF\xBF\xBD");          // cut short
    EXPECT_EQ(sanitize_utf8("首頁 🌐"), "首頁 🌐");
}

TEST(X11TitleDecoder, TextEndsAtTheFirstNul)
{
    EXPECT_EQ(decode_x11_title(std::string_view("one\0two", 7), x11_text_encoding::utf8), "one");
    EXPECT_EQ(decode_x11_title(std::string_view("one\0two", 7), x11_text_encoding::compound_text), "one");
}

TEST(X11TitleDecoder, CompoundTextCharsets)
{
    EXPECT_EQ(compound("Caf\xE9"), "Café");                                   // GR starts as Latin-1
    EXPECT_EQ(compound("\x1B$(B\x46\x7C\x4B\x5C\x1B(B!"), "日本!");              // JIS X 0208 in GL
    EXPECT_EQ(compound("\x1B$)A\xD6\xD0\xCE\xC4"), "中文");                     // GB 2312 in GR
    EXPECT_EQ(compound("\x1B$)C\xC7\xD1"), "한");                              // KS C 5601 in GR
    EXPECT_EQ(compound("\x1B-B\xB1"), "ą");                                   // Latin-2 right half
    EXPECT_EQ(compound("a\x1B%G\xE2\x82\xAC\x1B%@b"), "a€b");                 // UTF-8 segment
    EXPECT_EQ(compound("\x1B%/1\x80\x8Cutf-8\x02\xE2\x82\xAC\xC3\xA9x"), "€éx");  // extended segment
}

TEST(X11TitleDecoder, BrokenCompoundTextStillGivesValidUtf8)
{
    for (std::string_view bytes : {std::string_view("\x1B"), std::string_view("\x1B$(B\x46"),
                                   std::string_view("\x1B%/1"), std::string_view("\x1B%G\xFF"),
                                   std::string_view("\x9B\x31"), std::string_view("\x1B$)A\xFF\xFF")}) {
        const std::string text = compound(bytes);
        EXPECT_EQ(sanitize_utf8(text), text);
    }
}

}  // namespace
}  // namespace quenlow
