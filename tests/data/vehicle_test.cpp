#include "data/vehicle.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "data/panel.h"
#include "fixture.h"

namespace ostrel {
namespace {

Image small_image(const std::string& name) {
    if (name.find("missing") != std::string::npos) throw DecodeError("not found");
    Image img;
    img.width = 4;
    img.height = 2;
    img.pixels.assign(8, Rgba{9, 9, 9, 255});
    img.pixels[4] = Rgba{1, 2, 3, 255};  // bottom-left
    return img;
}

Vehicle read(const std::string& text) {
    return read_vehicle(fixture::windows_file(text), small_image);
}

std::string error_of(const std::string& text) {
    try {
        Vehicle v = read(text);
        finish_vehicle(v);
        build_panel(v, small_image);
    } catch (const UserError& e) {
        return e.what();
    }
    return "";
}

const std::string kFiveNotches =
    "[Engine_Type]\n1\n[Notch]\n"
    "3.0\n2.8\n35\n60\n0.99\n0\n"
    "3.0\n2.8\n35\n70\n0.99\n0\n"
    "3.0\n2.8\n35\n80\n0.99\n0\n"
    "2.5\n2.5\n40\n90\n0.995\n1\n"
    "2.5\n2.5\n40\n100\n0.995\n1\n#\n[BrakeType]\n1\n[Brake]\n8\n";

TEST(Vehicle, BrakePositionsAreCheckedAfterLoading) {
    Vehicle air = read("[BrakeType]\n0\n[Brake]\n8\n");
    finish_vehicle(air);
    EXPECT_EQ(air.Brake, 4);  // the automatic air brake always has four
    EXPECT_EQ(error_of("[BrakeType]\n1\n[Brake]\n2\n"),
              "ブレーキの段数を3段以上に設定してください");
    EXPECT_EQ(error_of("[BrakeType]\n2\n[Brake]\n3\n"), "");
}

TEST(Vehicle, PowerTypeMustComeBeforeTheTractionTables) {
    EXPECT_EQ(
        error_of("[Notch]\n1\n1\n1\n1\n1\n0\n#\n[Engine_Type]\n1\n[Brake]\n5\n[BrakeType]\n1\n"),
        "動力が気動車なのにNotch指定があります");
    EXPECT_EQ(error_of("[Engine_Type]\n1\n[Engine]\n0\n10\n20\n1\n1\n1\n#\n"),
              "動力が電車なのにEngine指定があります");
    Vehicle diesel = read("[Engine_Type]\n0\n[Engine]\n0\n10\n20\n1.0\n2.0\n3.0\n#\n");
    EXPECT_EQ(diesel.Engine.size(), 1u);
    EXPECT_TRUE(diesel.Notch.empty());
}

TEST(Vehicle, NotchRowsRecordWhereEachPowerModeStarts) {
    Vehicle v = read(kFiveNotches);
    ASSERT_EQ(v.Notch.size(), 5u);
    EXPECT_EQ(v.mode_first_notch[1], 3);  // mode 1 uses notches 4 and 5
    EXPECT_EQ(v.Notch[3].second_region_end, 90);
    EXPECT_DOUBLE_EQ(static_cast<double>(v.Notch[4].decay), 0.995);
}

TEST(Vehicle, GearTypeComparesTheWholeLine) {
    EXPECT_EQ(read("[Gear_Type]\nMT\n").Gear_Type, 1);
    EXPECT_EQ(read("[Gear_Type]\nMT\n[Gear_Type]\nat\n").Gear_Type, 1);  // unchanged
    EXPECT_EQ(read("[Gear_Type]\nAT \n").Gear_Type, 0);
}

TEST(Vehicle, ValuesAndTablesReadTwiceKeepTheLaterOnes) {
    Vehicle v =
        read("[Power]\n4\n[DriveSound]\na.wav\nb.wav\n#\n[Power]\n5\n[DriveSound]\nc.wav\n#\n");
    EXPECT_EQ(v.Power, 5);
    EXPECT_EQ(v.DriveSound, std::vector<std::string>{"c.wav"});
}

TEST(Vehicle, ADelayBelowOneIsTakenAsOne) {
    Vehicle v = read("[PowerDelay]\n0\n[BrakeDelay]\n-4\n[SAPDelay]\n3\n");
    EXPECT_EQ(v.PowerDelay, 1);
    EXPECT_EQ(v.BrakeDelay, 1);
    EXPECT_EQ(v.SAPDelay, 3);
}

TEST(Vehicle, AnAlarmTimeWhoseTicksWouldOverflowIsRefused) {
    EXPECT_EQ(read("[ATS_Time]\n214748364\n").ATS_Time, 214748364);
    EXPECT_EQ(error_of("[ATS_Time]\n214748365\n").rfind("車両ファイルに誤りがあります", 0), 0u);
    EXPECT_EQ(error_of("[ATS_Time]\n-214748365\n").rfind("車両ファイルに誤りがあります", 0), 0u);
}

TEST(Vehicle, FixedFourValuesAreExact) {
    Vehicle v = read("[BrakeRate]\n4.0\n3.55\n[Tons]\n340\n[BrakeRate2]\n0.0125\n");
    EXPECT_EQ(v.BrakeRate[0].raw, 40000);
    EXPECT_EQ(v.BrakeRate[1].raw, 35500);
    EXPECT_EQ(v.Tons.raw, 3400000);
    EXPECT_DOUBLE_EQ(static_cast<double>(v.BrakeRate2), 0.0125);
}

TEST(Vehicle, ErrorsNameTheGroupOfKeysBeingRead) {
    const std::string base = "車両ファイルに誤りがあります";
    EXPECT_EQ(error_of("[Handle]\nx\n"), base + "- 列車の基本設定");
    EXPECT_EQ(error_of("[BrakeRate]\n4.0\n[Tons]\n1\n"),
              base + "- 列車の基本設定");                                   // one line short
    EXPECT_EQ(error_of("[Brake]\n5\n[Power]"), base + "- 列車の基本設定");  // key on the last line
    EXPECT_EQ(error_of("[EngineSound2]\n1\nx\n3\n"), base + "[EngineSound1]");
    EXPECT_EQ(error_of("[Lamp_Door]\na.bmp\n1\ny\n"), base + "- 運転台パネル");
    EXPECT_EQ(error_of("[Needle_BC]\na.bmp\n1\n2\n0\n0\n90\nx\n"), base + "- BC圧力計");
    EXPECT_EQ(error_of("[Needle_I]\na.bmp\n1\n2\n0\n0\n90\n1.5\n"), base + "- 電流計");
    EXPECT_EQ(error_of("[NotchImageB]\n1\n2\n20\n20\nmissing.bmp\n"), base + "[NotchImageB]");
    EXPECT_EQ(error_of("[StopLine]\nmissing.bmp\n"), base + "- 列車の基本設定");
    EXPECT_EQ(error_of("[Others]\na.bmp\n1\n"), base + "[Others]");  // no "#" line
}

TEST(Vehicle, TablesLongerThanTheirCapacityAreRefused) {
    std::string twelve = "[Engine_Type]\n1\n[Notch]\n";
    for (int i = 0; i < 12; ++i)
        twelve += "1\n1\n10\n20\n1\n0\n";
    EXPECT_EQ(error_of(twelve + "#\n"), "車両ファイルに誤りがあります[Notch]");
    std::string drive = "[DriveSound]\n";
    for (int i = 0; i < 101; ++i)
        drive += "a.wav\n";
    EXPECT_EQ(error_of(drive + "#\n"), "車両ファイルに誤りがあります[DriveSound]");
    EXPECT_EQ(error_of("[Cars]\n21\n"), "車両ファイルに誤りがあります- 列車の基本設定");
    EXPECT_EQ(read("[Cars]\n20\n").Cars, 20);
}

TEST(Vehicle, CabSignalSpeedsSkipEmptyLines) {
    Vehicle v = read("[Lamp_signal]\n440\n320\n20\n20\nsig.bmp\n0\n25\n\n75\n#\n");
    EXPECT_EQ(v.cab_signal_speed_count, 4);
    EXPECT_EQ(v.cab_signal_speeds[1], 25);
    EXPECT_EQ(v.cab_signal_speeds[2], 0);
    EXPECT_EQ(v.cab_signal_speeds[3], 75);
    EXPECT_EQ(v.Lamp_signal.image.width, 4);
}

TEST(Panel, BuildsTheKeysInTheirOrderWithDepthsAndFirstVisibility) {
    Vehicle v = read(
        "[Lamp_Stop]\nl.bmp\n5\n6\n[Panel]\np.bmp\n0\n300\n[Needle_Speed]\nn.bmp\n1\n2\n0\n0\n-90\n"
        "0\n[NotchImageP]\n1\n2\n0\n0\nnotch.bmp\n[Others]\na.bmp\n1\n1\n\n0\n0\nc.bmp\n3\n3\n#\n");
    Panel panel = build_panel(v, small_image);
    std::vector<std::string> names;
    for (const PanelPart& p : panel.parts)
        names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::string>{"img_lamp_p", "img_Panel", "img_Lamp_stopalert",
                                               "img_Needle_speed", "img_other0", "img_other2"}));
    const PanelPart* notch = panel.find("IMG_LAMP_P");
    ASSERT_TRUE(notch);
    EXPECT_EQ(notch->width, 4);  // pattern width 0: the whole picture is one pattern
    EXPECT_EQ(panel.find("img_Panel")->transparent, false);
    EXPECT_EQ(panel.find("img_Lamp_stopalert")->visible, false);
    EXPECT_EQ(panel.find("img_Lamp_stopalert")->transparent_colour, (Rgba{1, 2, 3, 255}));
    EXPECT_EQ(panel.find("img_other2")->depth, 24);  // the empty row still counts
    EXPECT_EQ(panel.find("img_Lamp_Door"), nullptr);
}

TEST(Panel, APictureThatCannotBeLoadedNamesItsFile) {
    Vehicle v = read("[Lamp_Door]\nimage\\missing.bmp\n1\n1\n");
    try {
        build_panel(v, small_image);
        FAIL();
    } catch (const UserError& e) {
        EXPECT_STREQ(e.what(), "image\\missing.bmpの生成エラー");
    }
}

}  // namespace
}  // namespace ostrel
