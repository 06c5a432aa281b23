// Numbers as the .x scanner reads them: the short decimals exporters write
// take a quicker road than the general conversion, and must give the same
// float, bit for bit, as from_chars does for the same text.
#include "assets/x_scanner.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <random>
#include <string>

namespace {

uint32_t bitsOf(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// The float from_chars makes of all of `text`; false where it takes less.
bool reference(const std::string& text, float* value) {
    const std::from_chars_result got = std::from_chars(text.data(), text.data() + text.size(), *value);
    return got.ec == std::errc() && got.ptr == text.data() + text.size();
}

// Reads `text` followed by ";7", so that a number read too short or too long
// shows in the second value.
bool scan(const std::string& text, float* value) {
    const std::string file = text + ";7";
    XScanner in(file.data(), file.data() + file.size());
    float values[2];
    if (!in.readFloats(values, 2)) return false;
    *value = values[0];
    return values[1] == 7.0f && in.atEnd();
}

TEST(XScannerNumbers, ShortDecimalsMatchTheGeneralConversionBitForBit) {
    for (const char* text : {"0", "-0", "-0.0", "1", "1.", ".5", "-.25", "0.1", "0.000001", "-0.577350", "1.000000",
                             "12.345678", "16777216", "16777217", "16777218", "1677721.7", "0.16777217", "99999999",
                             "123456789", "1234567890", "0.0000000001", "3.4e38", "1e-45", "2.5E3", "007.50"}) {
        float expected = 0, got = 0;
        ASSERT_TRUE(reference(text, &expected)) << text;
        ASSERT_TRUE(scan(text, &got)) << text;
        EXPECT_EQ(bitsOf(got), bitsOf(expected)) << text;
    }

    // Random texts around the quick road's limits: up to ten digits before
    // and after the point, signs, and now and then an exponent.
    std::mt19937 random(17);
    auto digits = [&](int count) {
        std::string s;
        for (int i = 0; i < count; ++i) s.push_back(char('0' + random() % 10));
        return s;
    };
    for (int i = 0; i < 200000; ++i) {
        std::string text = random() % 3 == 0 ? "-" : "";
        const int whole = int(random() % 9), fraction = int(random() % 11);
        text += digits(whole);
        if (fraction > 0 || whole == 0) text += "." + digits(fraction == 0 ? 1 : fraction);
        if (random() % 16 == 0) text += "e" + std::to_string(int(random() % 21) - 10);
        float expected = 0, got = 0;
        ASSERT_TRUE(reference(text, &expected)) << text;
        ASSERT_TRUE(scan(text, &got)) << text;
        ASSERT_EQ(bitsOf(got), bitsOf(expected)) << text;
    }
}

TEST(XScannerNumbers, MalformedNumbersStillFail) {
    for (const char* text : {"-", ".", "-.", "1.2.3", "1x", "1-", "--1", "0x10", "inf", "-inf", "nan", "1e", "1e+"}) {
        float value = 0;
        EXPECT_FALSE(scan(text, &value)) << text;
    }
    // Past the float range: a bad value, not a parse error.
    const std::string huge = "1e39;";
    XScanner in(huge.data(), huge.data() + huge.size());
    float value = 0;
    EXPECT_FALSE(in.readFloat(&value));
    EXPECT_EQ(in.error(), D3DXFERR_BADVALUE);
}

}  // namespace
