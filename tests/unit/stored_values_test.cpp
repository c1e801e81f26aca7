#include "stored_values.h"

#include <gtest/gtest.h>

#include <string>

namespace quenlow {
namespace {

struct stored_case {
    const char* text;
    int state;
};

class FastButtonText : public ::testing::TestWithParam<stored_case> {};

TEST_P(FastButtonText, ReadsAsTheBoxState)
{
    EXPECT_EQ(fast_button_state_from_text(GetParam().text), GetParam().state)
        << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    StoredTexts, FastButtonText,
    ::testing::Values(stored_case{"", 0}, stored_case{"0", 0}, stored_case{"1", 1},
                      stored_case{"2", 2}, stored_case{" 1", 1}, stored_case{"\t2", 2},
                      stored_case{"+1", 1}, stored_case{"0.5", 0}, stored_case{"1.5", 2},
                      stored_case{"2.5", 2}, stored_case{"0.49", 0}, stored_case{"0.51", 1},
                      stored_case{"1.4999", 1}, stored_case{".6", 1}, stored_case{"1.", 1},
                      stored_case{"1e0", 1}, stored_case{"2E+0", 2}, stored_case{"20e-1", 2},
                      stored_case{"1e", 1}, stored_case{"1x", 1}, stored_case{"1,5", 1},
                      stored_case{"x1", 0}, stored_case{"-0", 0}, stored_case{"-1", 0},
                      stored_case{"-0.4", 0}, stored_case{"3", 0}, stored_case{"2.6", 0},
                      stored_case{"1e400", 0}, stored_case{"-1e400", 0}, stored_case{"inf", 0},
                      stored_case{"nan", 0}, stored_case{"0x1", 0}, stored_case{"&H1", 0},
                      stored_case{"+", 0}, stored_case{".", 0}, stored_case{"1 1", 1},
                      stored_case{"00000000000000000000000000000000000001", 1}));

TEST(FastButtonText, WritesTheStateAsPlainDigits)
{
    EXPECT_EQ(fast_button_text(0), "0");
    EXPECT_EQ(fast_button_text(1), "1");
    EXPECT_EQ(fast_button_text(2), "2");
}

TEST(ChineseText, OnlyEmptyAndZeroMeanEnglish)
{
    EXPECT_FALSE(chinese_from_text(""));
    EXPECT_FALSE(chinese_from_text("0"));
    EXPECT_TRUE(chinese_from_text("1"));
    EXPECT_TRUE(chinese_from_text("00"));
    EXPECT_TRUE(chinese_from_text(" 0"));
    EXPECT_TRUE(chinese_from_text("0 "));
    EXPECT_TRUE(chinese_from_text(std::string("0\0", 2)));
}

}  // namespace
}  // namespace quenlow
