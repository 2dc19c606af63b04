#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace cp = quenlo::codepage;

namespace {

struct RoundTrip {
    const char* what;
    std::string utf8;
    std::string gbk;
};

// Each character's code page 936 bytes; those the code page lacks take their GB18030 form.
const RoundTrip kRoundTrips[] = {
    {"ascii", "Zhang San 138", "Zhang San 138"},
    {"U+4DB5, four bytes in GB18030", "\xE4\xB6\xB5", "\x82\x35\x87\x38"},
    {"common hanzi", "\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},
    {"euro sign is 0x80 in the code page", "\xE2\x82\xAC", "\x80"},
    {"U+4DAE, two bytes only in GB18030", "\xE4\xB6\xAE", "\xFE\x9F"},
    {"U+20BB7 outside the basic plane", "\xF0\xA0\xAE\xB7", "\x95\x34\xB2\x35"},
    {"mixed",
     "\xE7\x8E\x8B\xE4\xB6\xAE"
     "1.",
     "\xCD\xF5\xFE\x9F"
     "1."},
    {"empty", "", ""},
};

TEST(Codepage, RoundTripsThroughUtf8AndUtf16) {
    for (const auto& c : kRoundTrips) {
        SCOPED_TRACE(c.what);
        std::size_t invalid = 0;
        EXPECT_EQ(cp::utf8ToGbk(c.utf8, &invalid), c.gbk);
        EXPECT_EQ(cp::gbkToUtf8(c.gbk, &invalid), c.utf8);
        EXPECT_EQ(cp::utf16ToGbk(cp::gbkToUtf16(c.gbk, &invalid), &invalid), c.gbk);
        EXPECT_EQ(cp::utf16ToUtf8(cp::utf8ToUtf16(c.utf8, &invalid), &invalid), c.utf8);
        EXPECT_EQ(invalid, 0u);
    }
}

TEST(Codepage, Utf16HoldsSurrogatePairForSupplementaryCharacter) {
    EXPECT_EQ(cp::gbkToUtf16("\x95\x34\xB2\x35"), std::u16string(u"\U00020BB7"));
    EXPECT_EQ(cp::gbkToUtf16("\xD6\xD0"), std::u16string(u"\u4E2D"));
}

struct Invalid {
    const char* what;
    std::string gbk;
    std::string utf8;
    std::size_t invalid;
};

TEST(Codepage, InvalidGbkBytesBecomeReplacementAndAreCounted) {
    const Invalid cases[] = {
        {"lone lead byte at end", "A\xD6", "A\xEF\xBF\xBD", 1},
        {"0xFF byte",
         "\xFF"
         "B",
         "\xEF\xBF\xBD"
         "B",
         1},
        {"bad trail keeps following ascii",
         "\xD6\x0A"
         "x",
         "\xEF\xBF\xBD\x0A"
         "x",
         1},
        {"two bad bytes", "\xFF\xFF", "\xEF\xBF\xBD\xEF\xBF\xBD", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t invalid = 0;
        EXPECT_EQ(cp::gbkToUtf8(c.gbk, &invalid), c.utf8);
        EXPECT_EQ(invalid, c.invalid);
    }
}

TEST(Codepage, InvalidUtf8IsReplacedNotDropped) {
    std::size_t invalid = 0;
    // U+FFFD in GB18030 is 84 31 A4 37.
    EXPECT_EQ(cp::utf8ToGbk("a\xC3(b", &invalid), "a\x84\x31\xA4\x37(b");
    EXPECT_EQ(invalid, 1u);
}

TEST(Codepage, LoneSurrogateIsReplacedWithoutTakingTheNextCharacter) {
    std::size_t invalid = 0;
    const std::u16string text{u'x', char16_t(0xD800), u'A', u'B'};
    EXPECT_EQ(cp::utf16ToGbk(text, &invalid),
              "x\x84\x31\xA4\x37"
              "AB");
    EXPECT_EQ(invalid, 1u);
}

TEST(Codepage, Utf8Validation) {
    EXPECT_TRUE(cp::isValidUtf8("plain"));
    EXPECT_TRUE(cp::isValidUtf8("\xE4\xB8\xAD\xF0\xA0\xAE\xB7"));
    EXPECT_FALSE(cp::isValidUtf8("\xD6\xD0"));      // GBK bytes of one hanzi
    EXPECT_FALSE(cp::isValidUtf8("\xE4\xB8"));      // cut short
    EXPECT_FALSE(cp::isValidUtf8("\xC0\xAF"));      // overlong
    EXPECT_FALSE(cp::isValidUtf8("\xED\xA0\x80"));  // surrogate
}

TEST(Codepage, ConvertCharsetByName) {
    std::string out;
    ASSERT_TRUE(cp::convertCharset("\xE4\xB8\xAD", "utf-8", "gb2312", out));
    EXPECT_EQ(out, "\xD6\xD0");
    ASSERT_TRUE(cp::convertCharset("\xA4\xA4", "Big5", "GBK", out));  // U+4E2D in Big5
    EXPECT_EQ(out, "\xD6\xD0");
    out = "kept";
    EXPECT_FALSE(cp::convertCharset("x", "no-such-charset", "GBK", out));
    EXPECT_EQ(out, "kept");
}

}  // namespace
