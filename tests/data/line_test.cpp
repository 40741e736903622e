#include "data/line.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "fixture.h"

namespace ostrel {
namespace {

Image any_image(const std::string& name) {
    if (name.find("missing") != std::string::npos) throw DecodeError("not found");
    Image img;
    img.width = img.height = 1;
    img.pixels.resize(1);
    return img;
}

Line read(const std::string& text, int start = 0) {
    return read_line_file(fixture::windows_file(text), start, any_image);
}

std::string error_of(const std::string& text) {
    try {
        read(text);
    } catch (const UserError& e) {
        return e.what();
    }
    return "";
}

const std::string kBase = "路線ファイルに誤りがあります。";

TEST(LineFile, ErrorsCarryTheContextOfTheLastKeyThatSetsOne) {
    EXPECT_EQ(error_of("[LineName] a comment\n本線\n[StartPos]\n1x\n"), kBase + "その他:1x");
    EXPECT_EQ(error_of("[Speed_Signal]\n0\n#\n[DataName]\nroute\n[StartTime]\nnoon\n"),
              kBase + "その他:noon");  // a new pass starts with the general context
    EXPECT_EQ(error_of("[DataName]\nroute\n[StartPos]\n1\n[OneMan]\nyes\n"),
              kBase + "[Pre_Train]:yes");
    EXPECT_EQ(error_of("[Station]\n東駅,0,1x0,200,0,1,0,1944000,45,0\n#\n"),
              kBase + "[Station]:東駅,0,1x0,200,0,1,0,1944000,45,0");       // the line in UTF-8
    EXPECT_EQ(error_of("[Signal]\n1,2,3\n#\n"), kBase + "[Signal]:1,2,3");  // a short row
    EXPECT_EQ(error_of("[Time]\n1,2,3\n"), kBase + "[Time]:");  // the file ends inside a table
    EXPECT_EQ(error_of("[Slope]\n1.5,10,20\n\n#\n"), kBase + "[Slope]:");  // a blank row
    EXPECT_EQ(error_of("[SignImageList]\nimage\\missing.bmp\n#\n"),
              kBase + "[SignImageList]:image\\missing.bmp");
}

TEST(LineFile, CallOutIdsAndCounts) {
    Line l = read("[KankoSound2]\na.wav\nb.wav\nc.wav\n#\n");
    ASSERT_EQ(l.KankoSound2.size(), 3u);
    EXPECT_EQ(l.KankoSound2[2].ordinal, 2);  // call-out id 23
    EXPECT_EQ(l.callout_count, 24);
    EXPECT_EQ(read("").callout_count, 21);

    std::string k1 = "[KankoSound1]\n#\n";  // taken as a file name: exactly 21 lines are read
    for (int i = 1; i < 21; ++i)
        k1 += "k" + std::to_string(i) + ".wav\n";
    Line l1 = read(k1 + "[OneMan]\n1\n");
    EXPECT_EQ(l1.KankoSound1[0], "#");
    EXPECT_EQ(l1.KankoSound1[20], "k20.wav");
    EXPECT_EQ(l1.OneMan, 1);
}

TEST(LineFile, AnnounceHeaderWithoutRowsKeepsTheStandstillSound) {
    Line l = read("[Announce]\n7\n#\n");
    EXPECT_EQ(l.standstill_sound, 7);
    EXPECT_TRUE(l.Announce.empty());
}

TEST(LineFile, SemicolonLinesAreCommentsOnlyUnderSound) {
    Line l = read("[Sound]\n;0,1,2,60,0,0,0\n0,500,600,60,1,1,1\n#\n");
    ASSERT_EQ(l.Sound.size(), 1u);
    EXPECT_EQ(l.Sound[0].start_frame, 500);
    EXPECT_EQ(error_of("[Doppler]\n;0,1,2,3\n#\n"), kBase + "[Doppler]:;0,1,2,3");
}

TEST(LineFile, TheStartStationHasNoArrivalSound) {
    const std::string stations = "[Station]\nA,0,100,0,5,1,0,100,0,0\nB,0,200,0,6,1,0,200,0,0\n#\n";
    EXPECT_EQ(read(stations, 0).Station[0].arrival_sound, 0);
    EXPECT_EQ(read(stations, 0).Station[1].arrival_sound, 6);
    EXPECT_EQ(read(stations, 1).Station[0].arrival_sound, 5);
    EXPECT_EQ(read(stations, 1).Station[1].arrival_sound, 0);
}

TEST(LineFile, ValuesThatWouldDivideByZeroAreRefused) {
    EXPECT_EQ(error_of("[FrameRate]\n0\n"), kBase + "その他:0");
    EXPECT_EQ(error_of("[FrameRate]\n31\n"), kBase + "その他:31");
    EXPECT_EQ(read("[FrameRate]\n30\n").FrameRate, 30);
    EXPECT_EQ(error_of("[SpeedUnit]\n0,300,10,10\n300,300,10,10\n#\n"),
              kBase + "[SpeedUnit]:300,300,10,10");
    EXPECT_EQ(error_of("[Sound]\n0,1,2,0,0,1,0\n#\n"), kBase + "[Sound]:0,1,2,0,0,1,0");
    EXPECT_EQ(error_of("[Sound]\n0,1,2,0,0,0,1\n#\n"), kBase + "[Sound]:0,1,2,0,0,0,1");
    EXPECT_EQ(read("[Sound]\n0,1,2,0,0,0,0\n#\n").Sound.size(), 1u);  // follows nothing
}

TEST(LineFile, TablesLongerThanTheirCapacityAreRefused) {
    std::string time = "[Time]\n";
    for (int i = 0; i < 101; ++i)
        time += "1,2,3\n";
    EXPECT_EQ(error_of(time + "#\n"), kBase + "[Time]:1,2,3");
    std::string sig = "[Speed_Signal]\n";
    for (int i = 0; i < 11; ++i)
        sig += "10\n";
    EXPECT_EQ(read(sig + "#\n").Speed_Signal.size(), 11u);
    EXPECT_EQ(error_of(sig + "10\n#\n"), kBase + "[Speed_Signal]:10");

    // Every image list holds at most a thousand pictures, also when its key comes twice.
    for (const char* key :
         {"[SignImageList]", "[SignalImageList]", "[SignalImageList2]", "[CrossImageList]"}) {
        std::string list = std::string(key) + "\n";
        for (int i = 0; i < 600; ++i)
            list += "a.bmp\n";
        list += "#\n";
        EXPECT_EQ(error_of(list + list), kBase + key + ":a.bmp") << key;
    }
}

TEST(LineFile, ATableReadTwiceKeepsOnlyItsLastRows) {
    Line l =
        read("[MovieStop]\n500\n600\n#\n[MovieStop]\n700\n#\n[SoundData]\na.wav\n\nc.wav\n#\n");
    EXPECT_EQ(l.MovieStop, std::vector<int>{700});
    EXPECT_TRUE(l.has_buffer_frame());
    EXPECT_FALSE(read("").has_buffer_frame());
    EXPECT_EQ(l.SoundData, (std::vector<std::string>{"a.wav", "", "c.wav"}));
}

TEST(LineFile, HeaderRowsAndTextFields) {
    Line l = read(
        "[Pre_Train]\n3000,8000\n1,60,1944900\n#\n[StafSwitch]\n300\n2\n5\n#\n"
        "[MovieSwitch]\n2,950,960,sub1,90,960\n#\n[Staf]\ncard.bmp\nopening.bmp\n"
        "[OtherImageList]\nlimit.bmp\nsign.wav\nother.bmp\n\n#\n[Slope]\n-3.25,4000,5000\n#\n");
    EXPECT_EQ(l.pre_train_start_frame, 3000);
    EXPECT_EQ(l.pre_train_last_frame, 8000);
    EXPECT_EQ(l.Pre_Train[0].departure_time, 1944900);
    EXPECT_EQ(l.StafSwitch, (std::vector<int>{300, 2, 5}));
    EXPECT_EQ(l.MovieSwitch[0].movie_name, "sub1");
    EXPECT_EQ(l.staf_opening_file, "opening.bmp");
    EXPECT_EQ(l.OtherSound, (std::vector<std::string>{"sign.wav", ""}));
    EXPECT_EQ(l.Slope[0].gradient.raw, -32500);
}

TEST(SpeedProfileReload, ReplacesTheFramesAndSpeedsKeepsTheDistancesAndRefusesABadRowWhole) {
    Line line;
    line.SpeedUnit = {{0, 100, 20, 40, 5000}, {100, 300, 40, 40, 12000}};
    reload_speed_units(line, fixture::windows_file("[SpeedUnit]\n0,120,25,45\n120,300,45,45\n"
                                                   "300,400,45,10\n#\n[Other]\n1,2,3,4\n"));
    ASSERT_EQ(line.SpeedUnit.size(), 3u);
    EXPECT_EQ(line.SpeedUnit[0].last_frame, 120);
    EXPECT_EQ(line.SpeedUnit[1].first_speed, 45);
    EXPECT_EQ(line.SpeedUnit[0].end_distance, 5000);  // distances are not worked out again
    EXPECT_EQ(line.SpeedUnit[1].end_distance, 12000);
    EXPECT_EQ(line.SpeedUnit[2].end_distance, 0);
    const auto before = line.SpeedUnit.size();
    EXPECT_THROW(reload_speed_units(line, fixture::windows_file("[SpeedUnit]\n0,10,x,1\n#\n")),
                 ConversionError);
    EXPECT_EQ(line.SpeedUnit.size(), before);
}

}  // namespace
}  // namespace ostrel
