#include "drive/loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "core/decode/decoders.h"
#include "core/error.h"
#include "data/distances.h"
#include "fixture.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

class LoaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("ostrel_loader_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fixture::write_program_dir(dir_);
        selection_.program_dir = dir_;
        selection_.vehicle_file_name = "train_70100.dat";
        selection_.line_file_name = "line_ltd.dat";
    }
    void TearDown() override { fs::remove_all(dir_); }

    LoadedDrive load() {
        return load_drive(selection_, {images_, waves_,
                                       [this](std::string_view t) { progress_.emplace_back(t); }});
    }

    std::string error_of_load() {
        try {
            load();
        } catch (const UserError& e) {
            return e.what();
        }
        return "";
    }

    // Replaces `from` by `to` in one of the Shift JIS data files.
    void edit(const std::string& file, const std::string& from, const std::string& to) {
        std::ifstream in(dir_ / file, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        std::string text = ss.str();
        std::string a = fixture::windows_text(from), b = fixture::windows_text(to);
        auto at = text.find(a);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, a.size(), b);
        fixture::write_file(dir_ / file, text);
    }

    fs::path dir_;
    DriveSelection selection_;
    PlatformImageDecoder images_;
    SndfileWaveDecoder waves_;
    std::vector<std::string> progress_;
};

TEST_F(LoaderTest, TheSampleDriveLoadsWithItsStartClockAndMedia) {
    LoadedDrive d = load();
    EXPECT_EQ(d.start_frame, 100);
    // Station 0 departs at 18:00:00; its melody plays 3.5 s, counted as 3 whole seconds.
    EXPECT_EQ(d.waves.line_seconds(1), 3);
    EXPECT_EQ(d.start_clock, 1944000 - 90);
    EXPECT_EQ(clock_text(d.start_clock), "17:59:57");
    EXPECT_EQ(d.sign_images.size(), 3u);  // the stop line, then the line's two gradient signs
    EXPECT_EQ(d.sign_images[0].width, 50);
    EXPECT_EQ(d.timetable_card.height, 600);
    EXPECT_TRUE(d.waves.get(WaveTable::kCalloutFirst + 2));
    EXPECT_FALSE(d.waves.get(WaveTable::kCalloutFirst + 3));  // an empty line
    EXPECT_TRUE(d.waves.get(WaveTable::kCalloutFirst + 22));  // the second "[KankoSound2]" row
    EXPECT_TRUE(d.waves.get(WaveTable::kSignFirst));
    EXPECT_TRUE(d.waves.get(WaveTable::kEngineFirst));
    EXPECT_EQ(d.waves.get(WaveTable::kEngineFirst)->channels, 2);
    EXPECT_EQ(d.panel.find("img_other0")->image.width, 60);  // "plate.JPG", a JPEG
    EXPECT_EQ(d.move_menu.size(), 3u);                       // kind 0 and 2, not the last row
    EXPECT_EQ(d.move_menu[2].name, "Sta3");
    ASSERT_EQ(d.warnings.size(), 2u);
    EXPECT_EQ(d.warnings[0], "映像ファイルを開けませんmovie\\route.avi");
    EXPECT_EQ(progress_.front(), "設定ファイルを読み込んでいます");
    EXPECT_EQ(progress_.back(), "環境をセットアップしています");
}

TEST_F(LoaderTest, StartingAtALaterStationAlsoSubtractsTheFirstLineSound) {
    selection_.start_station_index = 1;
    LoadedDrive d = load();
    EXPECT_EQ(d.start_frame, 3000);
    // arrive.wav (line sound 0) plays 2 s: 1951200 - 30 x 3 - 30 x 2.
    EXPECT_EQ(d.start_clock, 1951200 - 90 - 60);
    selection_.start_station_index = 12;
    EXPECT_EQ(error_of_load(), "路線ファイルに駅12がありません");
}

TEST_F(LoaderTest, MissingFilesGiveTheirOwnMessages) {
    fs::remove(dir_ / "sound" / "sign.wav");
    EXPECT_EQ(error_of_load(), "サウンドファイルが見つかりません: sound\\sign.wav");
    fs::remove(dir_ / "image" / "staf.bmp");
    EXPECT_EQ(error_of_load(), "image\\staf.bmpが見つかりません");
    fs::remove(dir_ / "image" / "lamp.bmp");
    EXPECT_EQ(error_of_load(), "image\\lamp.bmpの生成エラー");
    fs::remove(dir_ / "line_ltd.dat");
    EXPECT_EQ(error_of_load(),
              "路線ファイルに誤りがあります。: line_ltd.dat (No such file or directory)");
    fs::remove(dir_ / "train_70100.dat");
    EXPECT_EQ(error_of_load(),
              "車両ファイルに誤りがあります train_70100.dat (No such file or directory)");
    fs::remove(dir_ / "mascon.dat");
    EXPECT_EQ(error_of_load().rfind("Cannot open file", 0), 0u);
    fs::remove(dir_ / "ostrel.dat");
    EXPECT_EQ(error_of_load(), "実行ファイルが正しい場所に配置されていません");
}

TEST_F(LoaderTest, ALineFileSavedAsUnicodeDrivesAndOneWithoutStationsIsRefused) {
    // The line file as Notepad's "Unicode" writes it: UTF-16 little endian with its mark.
    std::ifstream in(dir_ / "line_ltd.dat", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string utf8 = display_text(ss.str(), Encoding::ShiftJis);
    std::u16string wide;
    for (std::size_t i = 0; i < utf8.size();) {  // UTF-8 to UTF-16, all in the basic plane
        const auto c = static_cast<unsigned char>(utf8[i]);
        const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : 3;
        char16_t u = n == 1 ? c : n == 2 ? (c & 0x1F) : (c & 0x0F);
        for (int k = 1; k < n; ++k)
            u = static_cast<char16_t>(u << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F));
        wide += u;
        i += static_cast<std::size_t>(n);
    }
    std::string bytes = "\xFF\xFE";
    for (char16_t u : wide) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    const LoadedDrive sjis = load();
    fixture::write_file(dir_ / "line_ltd.dat", bytes);
    const LoadedDrive unicode = load();
    EXPECT_EQ(unicode.line.Station.size(), sjis.line.Station.size());
    EXPECT_EQ(unicode.line.display(unicode.line.LineName), sjis.line.display(sjis.line.LineName));

    // Without a single station the line cannot be driven: the line file's message says why.
    fixture::write_file(dir_ / "line_ltd.dat", fixture::windows_text("[LineName]\n試験線\n"));
    EXPECT_EQ(error_of_load(),
              "路線ファイルに誤りがあります。[Station]: line_ltd.dat (no stations)");
}

TEST_F(LoaderTest, ACorruptPictureOrWaveIsAnErrorNotACrash) {
    fixture::write_file(dir_ / "sound" / "melody.wav", "RIFF\x10\0\0\0WAVEjunk");
    EXPECT_EQ(error_of_load().rfind("サウンドファイルを読み込めません: sound\\melody.wav", 0), 0u);
    fixture::write_file(dir_ / "image" / "plate.jpg", "\xFF\xD8\xFF\xE0 not really");
    EXPECT_EQ(error_of_load(), "image\\plate.JPGの生成エラー");
    fixture::write_file(dir_ / "image" / "cabsignal.bmp", "BM broken");
    EXPECT_EQ(error_of_load(), "車両ファイルに誤りがあります[Lamp_signal]");
}

TEST_F(LoaderTest, PipesDevicesAndHugeFilesGiveTheFilesOwnMessages) {
    // Each of these once hung the load, filled memory or ended the process without a word.
    fs::remove(dir_ / "mascon.dat");
    fs::create_directory(dir_ / "mascon.dat");
    EXPECT_EQ(error_of_load(),
              "Cannot open file \"" + (dir_ / "mascon.dat").string() + "\". Is a directory");
    fs::remove(dir_ / "mascon.dat");
    ASSERT_EQ(::mkfifo((dir_ / "mascon.dat").c_str(), 0600), 0);
    EXPECT_EQ(error_of_load(),
              "Cannot open file \"" + (dir_ / "mascon.dat").string() + "\". Not a regular file");
    fs::remove(dir_ / "mascon.dat");
    fixture::write_file(dir_ / "mascon.dat", "");

    edit("line_ltd.dat", "image\\up.bmp", "..\\..\\..\\..\\..\\..\\..\\dev\\zero");
    EXPECT_EQ(
        error_of_load(),
        "路線ファイルに誤りがあります。[SignImageList]:..\\..\\..\\..\\..\\..\\..\\dev\\zero");
    fixture::write_file(dir_ / "line_ltd.dat", "");
    fs::resize_file(dir_ / "line_ltd.dat", 2ULL << 30);  // sparse: nothing is written
    EXPECT_EQ(error_of_load(), "路線ファイルに誤りがあります。: line_ltd.dat (File too large)");
    fs::remove(dir_ / "line_ltd.dat");

    fs::resize_file(dir_ / "sound" / "sign.wav", 2ULL << 30);
    selection_.line_file_name = "line_exp.dat";
    EXPECT_EQ(error_of_load(),
              "サウンドファイルを読み込めません: sound\\sign.wav (File too large)");
}

TEST_F(LoaderTest, APictureNamedOverAndOverCannotFillMemory) {
    // A small run-length file declaring 4096 x 4096 pixels: 16 million once decoded.
    std::string big = fixture::bmp8(4, 4, true);
    for (int k = 0; k < 4; ++k) {
        big[static_cast<std::size_t>(18 + k)] = static_cast<char>((4096 >> (8 * k)) & 0xFF);
        big[static_cast<std::size_t>(22 + k)] = static_cast<char>((4096 >> (8 * k)) & 0xFF);
    }
    fixture::write_file(dir_ / "image" / "big.bmp", big);
    edit("line_ltd.dat", "image\\up.bmp\n", "image\\big.bmp\nimage\\big.bmp\nimage\\big.bmp\n");
    LoadedDrive d = load();  // three of them fit
    EXPECT_EQ(d.line.SignImageList[0].width, 4096);
    edit("line_ltd.dat", "image\\big.bmp\n", "image\\big.bmp\nimage\\big.bmp\n");
    EXPECT_EQ(error_of_load(), "路線ファイルに誤りがあります。[SignImageList]:image\\big.bmp");
}

TEST_F(LoaderTest, ASoundNamedTwiceIsLoadedOnce) {
    LoadedDrive d = load();
    // The running sounds all name run.wav: one wave, shared.
    EXPECT_EQ(d.waves.slots[WaveTable::kRunningFirst + 1],
              d.waves.slots[WaveTable::kRunningFirst + 2]);
}

TEST_F(LoaderTest, APickedVehicleTakesItsPicturesAndSoundsFromItsOwnDirectory) {
    fs::path other = dir_ / "trains" / "mine";
    fs::create_directories(other);
    fs::rename(dir_ / "train_70100.dat", other / "mine.dat");
    fs::rename(dir_ / "image", other / "image");
    fs::rename(dir_ / "sound", other / "sound");
    fixture::write_program_dir(dir_ / "unused");  // the line's files come from the program dir
    fs::rename(dir_ / "unused" / "image", dir_ / "image");
    fs::rename(dir_ / "unused" / "sound", dir_ / "sound");
    selection_.vehicle_dir = other;
    selection_.vehicle_file_name = "mine.dat";
    LoadedDrive d = load();
    EXPECT_EQ(d.panel.parts.size(), 14u);
    fs::remove(other / "sound" / "motor.wav");
    EXPECT_EQ(error_of_load(), "サウンドファイルが見つかりません: sound\\motor.wav");
}

TEST_F(LoaderTest, TheBrakeCheckComesAtTheEndOfLoading) {
    edit("train_70100.dat", "[Brake]\n9\n", "[Brake]\n2\n");
    EXPECT_EQ(error_of_load(), "ブレーキの段数を3段以上に設定してください");
}

TEST_F(LoaderTest, ExtraMasconLinesAreReportedAsAWarning) {
    edit("mascon.dat", "# the last", "X1xxx\nX2xxx\nX3xxx\nX4xxx\nX5xxx\n# the last");
    LoadedDrive d = load();
    EXPECT_EQ(d.mascon.slots[26], "X4xxx");
    EXPECT_EQ(d.warnings.front(), "mascon.dat: 1 line(s) after the 26th command are ignored");
}

}  // namespace
}  // namespace ostrel
