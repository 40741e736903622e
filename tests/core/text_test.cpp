#include "core/text.h"

#include <gtest/gtest.h>

#include "fixture.h"

namespace ostrel {
namespace {

TEST(SplitText, DropsEveryKindOfLineEnd) {
    TextFile f = split_text("a\r\nb\nc\rd\r\n\r\ne");
    EXPECT_EQ(f.lines(), (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
    EXPECT_TRUE(split_text("").lines().empty());
    EXPECT_EQ(split_text("x\r\n").lines(), std::vector<std::string>{"x"});
}

TEST(SplitText, TellsShiftJisFromUtf8) {
    std::string sjis = fixture::to_sjis("駅名");
    TextFile f = split_text(sjis + "\r\n");
    EXPECT_EQ(f.encoding, Encoding::ShiftJis);
    EXPECT_EQ(f.lines()[0], sjis);  // kept as bytes
    EXPECT_EQ(f.display(f.lines()[0]), "駅名");

    TextFile u = split_text("\xEF\xBB\xBF[LineName]\n駅名\n");
    EXPECT_EQ(u.encoding, Encoding::Utf8);
    EXPECT_EQ(u.lines()[0], "[LineName]");  // the byte-order mark is not part of the key
    EXPECT_EQ(u.display(u.lines()[1]), "駅名");
    EXPECT_EQ(split_text("plain ascii\n").encoding, Encoding::Utf8);

    // A byte-order mark in front of Shift JIS text does not make it UTF-8.
    TextFile marked = split_text("\xEF\xBB\xBF" + sjis + "\r\n");
    EXPECT_EQ(marked.encoding, Encoding::ShiftJis);
    EXPECT_EQ(marked.display(marked.lines()[0]), "駅名");
}

// "[LineName]\r\n駅名🚃\r\n" as UTF-16, little or big endian, with its byte-order mark.
std::string utf16(bool big_endian) {
    const std::u16string text = u"[LineName]\r\n駅名🚃\r\n";
    std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
        const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        out += big_endian ? hi : lo;
        out += big_endian ? lo : hi;
    }
    return out;
}

TEST(SplitText, NotepadsUnicodeIsReadAsTheTextItHolds) {
    for (bool big_endian : {false, true}) {
        const TextFile f = split_text(utf16(big_endian));
        EXPECT_EQ(f.encoding, Encoding::Utf8) << big_endian;
        EXPECT_EQ(f.lines(), (std::vector<std::string>{"[LineName]", "駅名🚃"})) << big_endian;
    }
    // A half of a surrogate pair alone, and an odd byte at the end.
    EXPECT_EQ(utf16_to_utf8(std::string("\x3D\xD8"
                                        "a\x00"
                                        "b",
                                        5),
                            false),
              "\xEF\xBF\xBD"
              "a"
              "\xEF\xBF\xBD");
}

TEST(ShiftJis, BadBytesBecomeReplacementCharacters) {
    EXPECT_EQ(sjis_to_utf8("a\x81"), "a\xEF\xBF\xBD");      // a lead byte cut off by the end
    EXPECT_EQ(sjis_to_utf8(fixture::to_sjis("ｱｲ")), "ｱｲ");  // half-width kana
    EXPECT_EQ(sjis_to_utf8("\xA0x"), "\xEF\xBF\xBDx");
}

TEST(Utf8, RejectsOverlongAndSurrogateForms) {
    EXPECT_TRUE(is_valid_utf8("駅"));
    EXPECT_FALSE(is_valid_utf8("\xC0\xAF"));
    EXPECT_FALSE(is_valid_utf8("\xED\xA0\x80"));
    EXPECT_FALSE(is_valid_utf8("\xE9\xA7"));
    EXPECT_TRUE(equal_ignoring_ascii_case("Image\\A.BMP", "image\\a.bmp"));
    EXPECT_FALSE(equal_ignoring_ascii_case("a", "ab"));
}

}  // namespace
}  // namespace ostrel
