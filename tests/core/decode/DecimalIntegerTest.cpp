#include <gtest/gtest.h>

#include "core/decode/DecimalInteger.h"

using keldar::decode::parseDecimalInt32;

TEST(DecimalInteger, AcceptsDigitsWithOptionalSign)
{
    struct Case { const char* text; std::int32_t value; };
    const Case cases[] = {
        {"0", 0},          {"126471340", 126471340}, {"000000000", 0}, {"-00000001", -1},
        {"+12", 12},       {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}, {"0042", 42},
    };
    for (const auto& c : cases) {
        const auto parsed = parseDecimalInt32(c.text);
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_EQ(*parsed, c.value) << c.text;
    }
}

TEST(DecimalInteger, RefusesWhatIsNotAnInteger)
{
    for (const char* text : {"", "-", "+", "23A3", " 12", "12 ", "1 2", "G_0001.jp", "2147483648",
                             "-2147483649", "99999999999", "0x10", "1.5", "--1"})
        EXPECT_FALSE(parseDecimalInt32(text).has_value()) << '"' << text << '"';
}
