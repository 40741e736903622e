#include "data/section.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "data/mascon.h"
#include "fixture.h"

namespace ostrel {
namespace {

TEST(SectionReader, MatchesKeysOnTheirFirstBytesWithTheClosingBracket) {
    TextFile f = fixture::windows_file("[Brake] the number of positions\n[BrakeType]\n[brake]\n");
    SectionReader r(f);
    r.read_line();
    EXPECT_TRUE(r.at_key("[Brake]"));  // a comment after the key is allowed
    r.read_line();
    EXPECT_FALSE(r.at_key("[Brake]"));
    EXPECT_TRUE(r.at_key("[BrakeType]"));
    r.read_line();
    EXPECT_FALSE(r.at_key("[Brake]"));  // keys are case-sensitive
}

TEST(SectionReader, TheEndOfTheFileReadsAsAnEmptyLineThatIsNoNumber) {
    TextFile f = fixture::windows_file("[Power]\n");
    SectionReader r(f);
    r.read_line();
    EXPECT_FALSE(r.more_lines());
    EXPECT_THROW(r.read_int(), ConversionError);
    EXPECT_EQ(r.current(), "");
}

TEST(SectionReader, TablesEndAtAHashLineAndNotAtTheEndOfTheFile) {
    TextFile empty = fixture::windows_file("[T]\n# nothing\n");
    SectionReader r(empty);
    r.read_line();
    EXPECT_FALSE(r.read_row());

    TextFile open = fixture::windows_file("[T]\n1\n");
    SectionReader r2(open);
    r2.read_line();
    EXPECT_TRUE(r2.read_row());
    EXPECT_THROW(r2.read_row(), ConversionError);
}

TEST(Fields, MissingFieldsReadAsErrorAndFailAsNumbers) {
    EXPECT_EQ(field("a,b,c", 1), "a");
    EXPECT_EQ(field("a,b,c", 3), "c");
    EXPECT_EQ(field("a,b,c,d", 3), "c");
    EXPECT_EQ(field("a,,c", 2), "");
    EXPECT_EQ(field("a,b", 3), "Error");
    EXPECT_THROW(to_int(field("1,2", 3)), ConversionError);
}

TEST(Mascon, StopsAtTheFirstHashLineAndKeepsBlankLines) {
    MasconCommands m = read_mascon(fixture::windows_file("P1xxx\n\nP3xxx\n# end\nP9xxx\n"));
    EXPECT_EQ(m.slots[1], "P1xxx");
    EXPECT_EQ(m.slots[2], "");
    EXPECT_EQ(m.slots[3], "P3xxx");
    EXPECT_EQ(m.slots[4], "");
    EXPECT_EQ(read_mascon(fixture::windows_file("#\nP1xxx\n")).slots[1], "");
}

TEST(Mascon, LinesPastTheTwentySixthSlotAreCountedNotStored) {
    std::string text;
    for (int i = 1; i <= 28; ++i)
        text += "C" + std::to_string(i) + "\n";
    MasconCommands m = read_mascon(fixture::windows_file(text));
    EXPECT_EQ(m.slots[26], "C26");
    EXPECT_EQ(m.lines_ignored, 2);
}

}  // namespace
}  // namespace ostrel
