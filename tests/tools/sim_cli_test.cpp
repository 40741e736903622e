// ostrel-sim run as a user runs it, on the sample program directory.

#include <gtest/gtest.h>

#include <unistd.h>
#include <QImage>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "check.h"
#include "drive/state_fields.h"
#include "fields.h"
#include "fixture.h"
#include "sample_drive.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

struct Result {
    int status = -1;
    std::string out;
};

Result run(const std::string& args) {
    Result r;
    // Standard error is dropped unless the arguments send it to standard output.
    bool merged = args.find("2>&1") != std::string::npos;
    std::string command =
        std::string(OSTREL_SIM_PATH) + " " + args + (merged ? "" : " 2>/dev/null");
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    std::array<char, 4096> buf{};
    std::size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0)
        r.out.append(buf.data(), n);
    int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

class CheckCli : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("ostrel_cli_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fixture::write_program_dir(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(CheckCli, ReportsTheLoadedDriveAsJson) {
    Result r = run("check --program-dir " + dir_.string() +
                   " --line line_ltd.dat --vehicle train_70100.dat");
    ASSERT_EQ(r.status, 0) << r.out;
    auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["ok"], true);
    EXPECT_EQ(j["start_clock"], 1943910);
    EXPECT_EQ(j["start_clock_text"], "17:59:57");
    EXPECT_EQ(j["vehicle"]["Tons"], 210.0);
    EXPECT_EQ(j["vehicle"]["BrakeRate"], nlohmann::json::array({4.0, 4.0}));
    EXPECT_EQ(j["vehicle"]["Notch"].size(), 5u);
    EXPECT_EQ(j["vehicle"]["PowerMode"][1], nlohmann::json::array({"S", "並列"}));
    EXPECT_EQ(j["vehicle"]["mode_first_notch"][1], 3);
    EXPECT_EQ(j["vehicle"]["EngineSound1"], 1);
    EXPECT_EQ(j["line"]["LineName"], "試験線 快速");
    EXPECT_EQ(j["line"]["counts"]["Station"], 5);
    EXPECT_EQ(j["line"]["stations"][1]["stop_distance"], 100000);
    EXPECT_EQ(j["line"]["stations"][1]["window_end"], 100500);
    EXPECT_EQ(j["line"]["speed_units"][1]["end_distance"], 100000 + 400000);
    EXPECT_EQ(j["line"]["SoundData"][0], "sound\\arrive.wav");  // as the file wrote it
    EXPECT_EQ(j["warnings"].size(), 2u);

    // Same input, same bytes.
    EXPECT_EQ(run("check --program-dir " + dir_.string() +
                  " --line line_ltd.dat --vehicle train_70100.dat")
                  .out,
              r.out);
}

TEST_F(CheckCli, ADataFileErrorExitsWithOneAndTheMessage) {
    fixture::write_file(dir_ / "line_exp.dat", fixture::windows_text("[Station]\n東駅,0,1x0\n#\n"));
    Result r = run("check --program-dir " + dir_.string() +
                   " --line line_exp.dat --vehicle train_70100.dat");
    EXPECT_EQ(r.status, 1);
    auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["ok"], false);
    EXPECT_EQ(j["message"], "路線ファイルに誤りがあります。[Station]:東駅,0,1x0");
}

TEST(Fields, EveryMemberOfTheStateCanBeNamed) {
    fixture::TestDrive t(fixture::sample_drive());
    std::size_t visited = 0;
    for_each_state_member([&](const char* name, auto member) {
        ++visited;
        using M = std::remove_cvref_t<decltype(member(t.s))>;
        std::string field = name;
        if constexpr (requires { typename M::value_type; } && !std::is_same_v<M, std::string>) {
            if (member(t.s).empty()) return;  // filled as the drive goes
            field += "[0]";
        }
        EXPECT_TRUE(find_field(t.drive, field)) << field;
    });
    EXPECT_EQ(visited, kStateFieldCount);
}

TEST(VehicleArgument, BareNamesAreBuiltInTrainsAndPathsArePickedFiles) {
    fs::path dir;
    std::string name;
    split_vehicle_argument("train_7200.dat", dir, name);
    EXPECT_TRUE(dir.empty());
    EXPECT_EQ(name, "train_7200.dat");
    split_vehicle_argument("/data/trains/my.dat", dir, name);
    EXPECT_EQ(dir, fs::path("/data/trains/"));
    EXPECT_EQ(name, "my.dat");
}

std::string read_all(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string replace_all(std::string s, const std::string& from, const std::string& to) {
    for (auto at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

TEST_F(CheckCli, RunWithoutAScriptStartsAtOnceAndPrintsARowPerTick) {
    Result r = run("run --program-dir " + dir_.string() +
                   " --line line_ltd.dat --vehicle train_70100.dat --ms 1000 --fields "
                   "clock,Label3,brake_notch");
    ASSERT_EQ(r.status, 0);
    std::istringstream lines(r.out);
    std::string header, first, last, line;
    std::getline(lines, header);
    std::getline(lines, first);
    int rows = 1;
    while (std::getline(lines, line))
        ++rows, last = line;
    EXPECT_EQ(header, "time_ms,clock,Label3,brake_notch");
    EXPECT_EQ(first, "100,1943913,\"17:59:57\",-9");
    EXPECT_EQ(rows, 10);
    EXPECT_EQ(last, "1000,1943940,\"17:59:58\",-9");
}

TEST_F(CheckCli, TheReportSaysHowTheAutopilotsDriveWentWithoutChangingTheTrace) {
    const std::string args = "run --program-dir " + dir_.string() +
                             " --line line_ltd.dat --vehicle train_70100.dat --ms 1800000 "
                             "--autopilot --fields clock,train_position";
    const fs::path report = dir_ / "report.json";
    Result plain = run(args);
    Result reported = run(args + " --report " + report.string());
    ASSERT_EQ(reported.status, 0);
    EXPECT_EQ(reported.out, plain.out);
    std::ifstream in(report);
    const auto json = nlohmann::json::parse(in);
    ASSERT_EQ(json["stations"].size(), 5u);
    EXPECT_EQ(json["stations"][1]["name"], "中駅");
    EXPECT_TRUE(json["stations"][1]["arrival"].is_string());
    EXPECT_LT(std::abs(json["stations"][1]["stop_error_m"].get<double>()), 2.0);
    EXPECT_TRUE(json["stations"][2]["passing"].is_string());  // 信号場 is passed
    EXPECT_TRUE(json["stations"][2]["stop_error_m"].is_null());
    EXPECT_EQ(json["emergencies"].size(), 0u);
    EXPECT_GT(json["totals"]["distance_m"].get<double>(), 0);
}

TEST_F(CheckCli, ARecordedDriveReplaysTickForTickAndEndsWhereItEnded) {
    // The autopilot's drive recorded, then its recording run as a script without it.
    const fs::path recording = dir_ / "drive.ostrel-script";
    const std::string drive = "run --program-dir " + dir_.string() +
                              " --line line_exp.dat --vehicle train_70100.dat --ms 1800000 "
                              "--fields tick_count,clock,train_speed,train_position,brake_notch,"
                              "power_notch,reverser,doors_open,system_eb,Label4,remain";
    Result original = run(drive + " --autopilot --record " + recording.string());
    ASSERT_EQ(original.status, 0);
    std::ifstream in(recording);
    std::stringstream text;
    text << in.rdbuf();
    // The arguments the replay needs, then the start, the keys right after their ticks and
    // the end dialog's answer.
    EXPECT_EQ(text.str().rfind("# ostrel-sim run --program-dir " + dir_.string() +
                                   " --line line_exp.dat --vehicle train_70100.dat",
                               0),
              0u);
    EXPECT_NE(text.str().find("\n0 start\n"), std::string::npos);
    EXPECT_NE(text.str().find("+ char d\n"), std::string::npos);  // the one-man line's doors
    EXPECT_NE(text.str().find("+ dialog end\n"), std::string::npos);
    Result replayed = run(drive + " --script " + recording.string());
    ASSERT_EQ(replayed.status, 0);
    EXPECT_EQ(replayed.out, original.out);
    EXPECT_GT(std::count(original.out.begin(), original.out.end(), '\n'), 1000);
}

TEST_F(CheckCli, SnapshotsDrawTheWindowWithoutChangingTheRun) {
    const std::string drive = "run --program-dir " + dir_.string() +
                              " --line line_ltd.dat --vehicle train_70100.dat --ms 3000";
    const fs::path early = dir_ / "early.png", late = dir_ / "late.png";
    Result with =
        run(drive + " --snapshot 2950:" + late.string() + " --snapshot 50:" + early.string() +
            " --snapshot 9000:" + (dir_ / "end.png").string());
    Result without = run(drive);
    ASSERT_EQ(with.status, 0);
    EXPECT_EQ(with.out, without.out);  // the clock stopping for a picture changes nothing
    for (const fs::path& p : {early, late, dir_ / "end.png"}) {
        QImage picture(QString::fromStdString(p.string()));
        EXPECT_EQ(picture.size(), QSize(743, 560)) << p;
    }
    // The clock moved on between the two.
    EXPECT_NE(QImage(QString::fromStdString(early.string())),
              QImage(QString::fromStdString(late.string())));
    for (const char* bad : {"x:a.png", "100", ":a.png", "-5:a.png", "100:"}) {
        Result r = run(drive + " --snapshot " + bad + " 2>&1");
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.out.find("--snapshot takes MS:FILE.png"), std::string::npos) << r.out;
    }
    Result unwritable =
        run(drive + " --snapshot 100:" + (dir_ / "no" / "a.png").string() + " 2>&1");
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_NE(unwritable.out.find("cannot write the snapshot"), std::string::npos);
}

TEST_F(CheckCli, ScriptsAndFieldsThatDoNotFitAreRefusedByName) {
    fixture::write_file(dir_ / "bad.txt", "0 start\n# fine\n100 leap\n");
    Result r = run("run --program-dir " + dir_.string() +
                   " --line line_ltd.dat --vehicle train_70100.dat --ms 100 --script " +
                   (dir_ / "bad.txt").string() + " 2>&1");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("script line 3: unknown command \"leap\""), std::string::npos) << r.out;
    r = run("run --program-dir " + dir_.string() +
            " --line line_ltd.dat --vehicle train_70100.dat --ms 100 --fields speed 2>&1");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("unknown field \"speed\""), std::string::npos);
}

// Where two texts first differ: the line number, a few lines before it, and both versions of
// it, so that a failing scenario says what changed without a diff tool.
std::string first_difference(const std::string& expected, const std::string& actual) {
    std::istringstream e(expected), a(actual);
    std::vector<std::string> before;
    std::string el, al;
    for (int line = 1;; ++line) {
        const bool more_e = static_cast<bool>(std::getline(e, el));
        const bool more_a = static_cast<bool>(std::getline(a, al));
        if (!more_e && !more_a) return "";
        if (more_e != more_a || el != al) {
            std::string out = "first difference at line " + std::to_string(line) + "\n";
            for (const std::string& b : before)
                out += "    " + b + "\n";
            out += "  - " + (more_e ? el : std::string("(end of the expected text)")) + "\n";
            out += "  + " + (more_a ? al : std::string("(end of the output)")) + "\n";
            return out;
        }
        before.push_back(el);
        if (before.size() > 3) before.erase(before.begin());
    }
}

std::vector<std::string> golden_scenarios() {
    std::vector<std::string> names;
    for (const auto& entry :
         fs::directory_iterator(fs::path(OSTREL_SOURCE_DIR) / "tests" / "golden"))
        if (fs::exists(entry.path() / "args"))  // pictures/ holds the window's pictures
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class Golden : public CheckCli, public ::testing::WithParamInterface<std::string> {};

// Each golden scenario's trace and events must match what was checked in (scripts/update-golden
// writes them anew).
TEST_P(Golden, GivesTheCheckedInTraceAndEvents) {
    fs::path here = fs::path(OSTREL_SOURCE_DIR) / "tests" / "golden" / GetParam();
    std::string args = read_all(here / "args");
    while (!args.empty() && (args.back() == '\n' || args.back() == '\r'))
        args.pop_back();
    fs::path events = dir_ / (GetParam() + ".events");
    args = replace_all(args, "{dir}", dir_.string());
    args = replace_all(args, "{here}", here.string());
    args = replace_all(args, "{events}", events.string());
    Result r = run(args);
    ASSERT_EQ(r.status, 0);
    const std::string trace = first_difference(read_all(here / "expected.csv"), r.out);
    EXPECT_TRUE(trace.empty()) << "the trace's " << trace;
    const std::string log =
        first_difference(read_all(here / "expected_events.txt"), read_all(events));
    EXPECT_TRUE(log.empty()) << "the events' " << log;
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Golden, ::testing::ValuesIn(golden_scenarios()),
                         [](const auto& scenario) { return scenario.param; });

}  // namespace
}  // namespace ostrel
