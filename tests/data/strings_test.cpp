#include "data/strings_file.h"

#include <gtest/gtest.h>

#include "fixture.h"

namespace ostrel {
namespace {

TEST(StringFile, OnlyPathLeavesTheCaptionsBuiltIn) {
    StringFile f =
        read_string_file(fixture::windows_file("[Path] where the videos are\nmovie\\\n"));
    EXPECT_EQ(f.Path, "movie\\");
    EXPECT_FALSE(f.Start);
    EXPECT_FALSE(f.Save);
    EXPECT_EQ(f.Forward, "");
    EXPECT_EQ(f.EB, "");
}

TEST(StringFile, SimilarKeysDoNotCatchEachOther) {
    StringFile f =
        read_string_file(fixture::windows_file("[Stop2]\n運転停車\n[Stop]\n停車\n[Hold2]\n抑速\n["
                                               "Neut2]\n切\n[Neutral]\n中立\n[Save]\n保存\n"));
    EXPECT_EQ(f.display(f.Stop), "停車");
    EXPECT_EQ(f.display(f.Stop2), "運転停車");
    EXPECT_EQ(f.Hold, "");
    EXPECT_EQ(f.display(f.Hold2), "抑速");
    EXPECT_EQ(f.Neut, "");
    EXPECT_EQ(f.display(f.Neutral), "中立");
    EXPECT_EQ(f.display(*f.Save), "保存");
}

}  // namespace
}  // namespace ostrel
