// The sample program directory: one short line with every table, one electric train with a
// full cab panel. Text files are Shift JIS with CR LF, as users' files are; some file names
// are written in another case than the files on disk, with backslashes.

#include "fixture.h"

namespace ostrel::fixture {

namespace fs = std::filesystem;

namespace {

const char* const kStrings = R"([Path] route videos
movie\
[Forward]
前
[Neutral]
切
[Reverse]
後
[Stop]
 停車
[Pass]
 通過
[Stop2]
 運転停車
[Neut]
ブレーキ解除
[Neut2]
切
[Apply]
込め
[Hold]
保ち
[Maintain]
重なり
[Hold2]
抑速
[EB]
非常
[Start]
運転開始(&S)
[Move]
駅へ移動(&M)
)";

const char* const kMascon = R"(P1xxx
P2xxx
P3xxx
P4xxx
P5xxx
P6xxx
N0xxx
B1xxx
B2xxx
B3xxx
B4xxx
B5xxx
B6xxx
B7xxx
B8xxx
EBxxx
RFxxx
RNxxx
RRxxx
K1xxx
K3xxx
K7xxx
# the last four slots are not used
)";

const char* const kVehicle = R"(試験用の電車 7000形
[Handle]
0
[BrakeType] straight air brake
1
[Brake]
9
[Power]
5
[NotchBack]
3
[Hold]
1
[Const]
1
[Back]
1
[BrakeRate]
4.0
4.0
[BrakeRate2]
0.0125
[PowerDelay]
3
[BrakeDelay]
3
[SAPDelay]
2
[BrakeUp]
300
[BrakeDown]
400
[EBPress]
440
[SAPPress]
390
[HighAirPress]
880
[LowAirPress]
780
[Engine_Type]
1
[Mt]
136.5
[Tt]
60
[Cars]
6
[StopLine]
Image\StopLine.BMP
[Tons]
210.0
[EB]
1
[MaxSpeed]
120
[Lose_elec]
8
[ELBR]
60
[Mc]
1
[ATS_Type]
1
[ATS_Alert]
1
[ATS_Time]
5
[ATS_Cnt]
0
[Sound_br1]
14
[Sound_br2]
15
[Sound_br3]
16
[Sound_EB]
17
[Sound_Ats1]
18
[Sound_Ats2]
19
[Sound_Atc]
33
[Sound_Horn]
20
[Sound_Horn2]
21
[Sound_DoorOpen]
22
[Sound_DoorClose]
23
[Sound_EBring]
24
[Sound_squeak]
25
[CP_Start]
26
[CP_Cnt]
27
[CP_End]
13
[Stop]
34
[Buzzer]
0
20
[DepSign]
21
[ATS_Warn]
18
[SwitchSound]
22,40,1
23,200,1
#
[Notch]
3.0
2.8
35
60
0.99
0
3.0
2.8
35
70
0.99
0
3.0
2.8
35
80
0.99
0
2.5
2.5
40
90
0.995
1
2.5
2.5
40
100
0.995
1
#
[PowerMode]
P,直列
S,並列
#
[EngineSound1]
sound\motor.wav
0
0
100
0.5
2.0
1
100
#
[DriveSound]
sound\run.wav
sound\run.wav
sound\run.wav
sound\run.wav
sound\run.wav
sound\run.wav
sound\run.wav
sound\run.wav
sound\run.wav
sound\run.wav
sound\run.wav
sound\run.wav
sound\run.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
sound\short.wav
#
[Clock]
400
300
20
[Panel]
image\panel.bmp
0
300
[Panel2]
image\dark.bmp
0
300
[Lamp_Door]
image\lamp.bmp
20
320
[Lamp_Power]
image\lamp.bmp
40
320
[Lamp_EB]
image\lamp.bmp
60
320
[Lamp_Ats]
image\lamp.bmp
80
320
[Lamp_Fwd]
image\lamp.bmp
100
320
[Lamp_Back]
image\lamp.bmp
120
320
[Needle_Speed]
image\needle.bmp
100
400
0
0
-135
2.25
[Needle_BC]
image\needle.bmp
300
400
0
0
-135
0.5
[Needle_I]
image\needle.bmp
400
400
0
0
-90
0.2
1
[Lamp_signal]
440
320
20
20
image\cabsignal.bmp
0
25
45

75
#
[NotchImageP]
200
470
20
20
image\notch.bmp
[Others]
image\plate.JPG
10
500

0
0
#
)";

const char* const kLine = R"(試験線の路線ファイル
[LineName] the window caption
試験線 快速
[LineName2]
試験線
[StartPos]
100
[FrameRate]
15
[Staf]
image\staf.bmp
image\opening.bmp
[StartTime]
0
[StafSwitch]
300
2
#
[MovieStop]
9000
#
[MovieSwitch]
2,950,960,sub1,90,960
#
[Speed_Signal]
0
25
45
75
110
#
[DataName]
route
[Pre_Train]
3000,8000
1,60,1944900
4,0,1962000
#
[OneMan]
0
[SoundData]
sound\arrive.wav
sound\melody.wav
sound\run.wav
sound\passing.wav
#
[Announce]
0
0,1,1,300
#
[KankoSound1]
kanko\k00.wav
kanko\k01.wav
kanko\k02.wav


















[KankoSound2]
kanko\k21.wav
kanko\k22.wav
#
[Sound]
; the sound of a bridge
2,500,600,60,1,1,1
#
[Doppler]
3,2000,3000,0
#
[Tunnel]
2500,3500,200
#
[Station]
東駅,0,100,200,1,1,0,1944000,45,0
中駅,0,3000,3100,0,1,0,1951200,45,0
信号場,1,5000,5000,0,0,0,0,85,0
西駅,2,7000,7100,0,1,0,1957000,60,0
終点,0,8500,8600,0,1,0,1962000,0,0
#
[StopSound]
0
#
[Signal]
0,0,0,2,100,3000,2950,2900,0,0,0,0
1,0,0,2,3000,6000,5950,5900,0,1951300,1,0
0,0,0,2,6000,9000,8950,8900,0,0,0,1
#
[Slope]
5.5,1000,2000
-3.25,4000,5000
#
[Sign]
0,1500,1700,0
#
[SignalKanko]
0,0,5
#
[StationKanko]
1,0,21
1,1,999
#
[SpeedLimit]
60,0,60,1200,1800
#
[SpeedCheck1]
45,2600
#
[SpeedCheck2]
30,6000,6500
#
[SignImageList]
image\up.bmp
image\down.bmp
#
[OtherImageList]
image\limit60.bmp
sound\sign.wav
#
[SignalImageList]
image\sig_r.bmp
image\sig_g.bmp
#
[SignalImageList2]
image\sig_r.bmp
#
[SpeedUnit]
0,3000,0.0,72.0
3000,9000,72.0,72.0
#
[CrossImageList]
image\cross.bmp
#
[Cross]
0,6,4200,4400,0
#
[Time]
2800,3000,1951000
#
[Switch]
150,1
#
)";

}  // namespace

void write_program_dir(const fs::path& dir) {
    write_file(dir / "ostrel.dat", windows_text(kStrings));
    write_file(dir / "mascon.dat", windows_text(kMascon));
    write_file(dir / "operation.dat", windows_text("運転のしかた\nz: 力行\na: ブレーキ\n"));
    write_file(dir / "train_70100.dat", windows_text(kVehicle));
    write_file(dir / "line_ltd.dat", windows_text(kLine));
    // The same line worked by one driver: the doors are the driver's.
    std::string one_man = kLine;
    one_man.replace(one_man.find("[OneMan]\n0"), 10, "[OneMan]\n1");
    write_file(dir / "line_exp.dat", windows_text(one_man));

    const Rgba black{0, 0, 0, 255}, grey{128, 128, 128, 255}, key{255, 0, 255, 255};
    const Rgba yellow{255, 220, 0, 255}, red{220, 0, 0, 255}, green{0, 200, 60, 255};
    write_file(dir / "image" / "stopline.bmp", bmp24(50, 50, yellow, key));  // named "StopLine.BMP"
    write_file(dir / "image" / "panel.bmp", bmp24(540, 260, grey, grey));
    write_file(dir / "image" / "dark.bmp", bmp24(540, 260, black, black));
    write_file(dir / "image" / "lamp.bmp", bmp24(16, 16, yellow, key));
    write_file(dir / "image" / "needle.bmp", bmp24(8, 80, red, key));
    write_file(dir / "image" / "cabsignal.bmp", bmp8(100, 20, true));
    write_file(dir / "image" / "notch.bmp", bmp8(120, 20, false));
    write_file(dir / "image" / "plate.jpg", jpeg(60, 20, grey));  // named "plate.JPG"
    write_file(dir / "image" / "staf.bmp", bmp24(200, 600, Rgba{250, 250, 240, 255}, key));
    write_file(dir / "image" / "opening.bmp", bmp24(540, 300, black, black));
    write_file(dir / "image" / "up.bmp", bmp24(50, 50, Rgba{255, 255, 255, 255}, key));
    write_file(dir / "image" / "down.bmp", bmp24(50, 50, Rgba{255, 255, 255, 255}, key));
    write_file(dir / "image" / "limit60.bmp", bmp24(50, 50, red, key));
    write_file(dir / "image" / "sig_r.bmp", bmp24(30, 60, red, key));
    write_file(dir / "image" / "sig_g.bmp", bmp24(30, 60, green, key));
    write_file(dir / "image" / "cross.bmp", bmp24(50, 50, yellow, key));

    write_file(dir / "sound" / "run.wav", wav({22050, 1, 16, 22050, false}));
    write_file(dir / "sound" / "short.wav", wav({11025, 1, 8, 5000, false}));
    write_file(dir / "sound" / "motor.wav", wav({22050, 2, 16, 22050, true}));
    // 3.5 s with a LIST chunk before its data: plays 3 whole seconds.
    write_file(dir / "sound" / "melody.wav", wav({8000, 1, 16, 28000, true}));
    write_file(dir / "sound" / "arrive.wav", wav({8000, 1, 8, 16000, false}));
    write_file(dir / "sound" / "sign.wav", wav({8000, 1, 8, 4000, false}));
    write_file(dir / "sound" / "passing.wav", wav({11025, 1, 16, 11025, false}));
    for (const char* name : {"k00", "k01", "k02", "k21", "k22"})
        write_file(dir / "kanko" / (std::string(name) + ".wav"), wav({8000, 1, 8, 6000, false}));
}

}  // namespace ostrel::fixture
