#include "packs/install.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "archives.h"
#include "check.h"
#include "core/decode/decoders.h"
#include "core/text.h"
#include "fixture.h"
#include "packs/libarchive/libarchive_reader.h"
#include "packs/pack_list.h"

namespace fs = std::filesystem;
using namespace ostrel;
using namespace ostrel::fixture;

namespace {

std::string read_all(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Every path under `dir`, relative, sorted: what an install left behind.
std::vector<std::string> tree(const fs::path& dir) {
    std::vector<std::string> out;
    if (!fs::exists(dir)) return out;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        out.push_back(fs::relative(e.path(), dir).generic_string());
    std::sort(out.begin(), out.end());
    return out;
}

class Install : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("ostrel-packs-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        packs_ = dir_ / "packs";
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Installs an archive file, as `ostrel --install` does.
    InstallResult install(const std::string& file_name, const std::string& bytes,
                          InstallRequest request = {}) {
        write_bytes(dir_ / file_name, bytes);
        return install_file(dir_ / file_name, std::move(request));
    }
    InstallResult install_file(const fs::path& file, InstallRequest request = {}) {
        request.packs_dir = packs_;
        return install_archive_file(file, std::move(request));
    }
    // The message of a refused install, and that it left nothing but the packs folder.
    std::string refusal(const std::string& file_name, const std::string& bytes,
                        InstallRequest request = {}) {
        try {
            install(file_name, bytes, std::move(request));
        } catch (const PackError& e) {
            EXPECT_EQ(tree(packs_), std::vector<std::string>{});
            return e.what();
        }
        return "installed";
    }
    std::string check_json(const fs::path& program_dir) {
        PlatformImageDecoder images;
        SndfileWaveDecoder waves;
        DriveSelection selection;
        selection.program_dir = program_dir;
        selection.vehicle_file_name = "train_70100.dat";
        selection.line_file_name = "line_ltd.dat";
        return check_report(load_drive(selection, {images, waves, {}})).dump();
    }

    fs::path dir_, packs_;
};

}  // namespace

TEST(PackNames, UnicodeOrShiftJisWithEitherSlashAndNothingThatClimbsOut) {
    std::string why;
    using Parts = std::vector<std::string>;
    EXPECT_EQ(entry_path("路線/ostrel.dat", why), (Parts{"路線", "ostrel.dat"}));
    // Shift JIS, whose "表" ends in the byte of a backslash: one name, not two.
    EXPECT_EQ(entry_path(utf8_to_sjis("表示\\image\\./題名.bmp"), why),
              (Parts{"表示", "image", "題名.bmp"}));
    EXPECT_EQ(entry_path("a//b/", why), (Parts{"a", "b"}));
    for (const char* hostile :
         {"../x", "..\\..\\x", "a/../../x", "a/..", "/etc/passwd", "\\x", "C:\\x", "c:x"}) {
        EXPECT_FALSE(entry_path(hostile, why)) << hostile;
        EXPECT_FALSE(why.empty());
    }
    EXPECT_FALSE(entry_path("\x81\x20.dat", why));  // neither encoding
    EXPECT_FALSE(entry_path(std::string("a\0b", 3), why));
    // What Linux cannot hold: 86 kanji are 258 bytes; 33 folders deep.
    std::string long_name;
    for (int i = 0; i < 86; ++i)
        long_name += "線";
    EXPECT_FALSE(entry_path("a/" + long_name, why));
    EXPECT_NE(why.find("255 bytes"), std::string::npos);
    std::string deep;
    for (int i = 0; i < 31; ++i)
        deep += "d/";
    EXPECT_TRUE(entry_path(deep + "x", why));  // 32 names in all
    EXPECT_FALSE(entry_path("d/" + deep + "x", why));
    EXPECT_EQ(entry_path("a..b/..c", why), (Parts{"a..b", "..c"}));
}

TEST_F(Install, AZipOfShiftJisNamesUnderATopFolderBecomesAPackThatLoadsAsTheOriginal) {
    const fs::path original = dir_ / "original";
    write_program_dir(original);
    std::vector<Member> members = members_of(original, "路線データ");
    for (Member& m : members)
        m.name = utf8_to_sjis(m.name);
    members.push_back({utf8_to_sjis("路線データ/image/表示.bmp"), "bm"});
    const InstallResult result = install("keio-v2.zip", zip_archive(members, false));
    EXPECT_EQ(result.name, "keio-v2");
    EXPECT_EQ(result.dir, packs_ / "keio-v2");
    EXPECT_EQ(read_all(result.dir / "image" / "表示.bmp"), "bm");
    EXPECT_TRUE(result.notes.empty());
    // The pack is the top folder's content, and nothing else is left.
    EXPECT_EQ(tree(packs_).front(), "keio-v2");
    EXPECT_EQ(check_json(result.dir), check_json(original));
    // A second install of the same file is a second pack beside it.
    EXPECT_EQ(install_file(dir_ / "keio-v2.zip").name, "keio-v2-2");
}

TEST_F(Install, NamesMarkedUnicodeOrValidUtf8AreKeptAsTheyAre) {
    const std::vector<Member> members = {{"ostrel.dat", "x"}, {"image/題名.bmp", "a"}};
    EXPECT_EQ(read_all(install("a.zip", zip_archive(members, true)).dir / "image" / "題名.bmp"),
              "a");
    EXPECT_EQ(read_all(install("b.zip", zip_archive(members, false)).dir / "image" / "題名.bmp"),
              "a");
}

TEST_F(Install, LzhWithHeadersOfEachLevelAndShiftJisNames) {
    for (int level : {0, 1, 2}) {
        const std::vector<Member> members = {
            {utf8_to_sjis("データ\\ostrel.dat"), "strings"},
            {utf8_to_sjis("データ\\sound\\警笛.wav"), std::string(3000, 'w')}};
        const InstallResult result =
            install("line" + std::to_string(level) + ".lzh", lzh_archive(members, level));
        EXPECT_EQ(read_all(result.dir / "ostrel.dat"), "strings") << level;
        EXPECT_EQ(read_all(result.dir / "sound" / "警笛.wav").size(), 3000u) << level;
    }
}

TEST_F(Install, SevenZipAndCompressedTarThroughLibarchive) {
    const std::vector<Member> members = {{"pack/ostrel.dat", "x"},
                                         {"pack/movie", "", Member::Folder},
                                         {"pack/movie/路線.avi", std::string(100000, 'v')}};
    write_libarchive(dir_ / "a.7z", members, "7zip");
    write_libarchive(dir_ / "b.tar.gz", members, "pax", true);
    for (const char* file : {"a.7z", "b.tar.gz"}) {
        const InstallResult result = install_file(dir_ / file);
        EXPECT_EQ(result.files, 2) << file;
        EXPECT_EQ(fs::file_size(result.dir / "movie" / "路線.avi"), 100000u) << file;
    }
    EXPECT_EQ(install_file(dir_ / "b.tar.gz").name, "b-2");
}

TEST_F(Install, FoldersNamedInAnotherCaseAreOneFolderAsOnWindows) {
    const std::vector<Member> members = {
        {"ostrel.dat", "x"}, {"Image/a.bmp", "a"}, {"image/b.bmp", "b"}, {"IMAGE/A.BMP", "c"}};
    const InstallResult result = install("case.zip", zip_archive(members, false));
    EXPECT_EQ(tree(result.dir),
              (std::vector<std::string>{"Image", "Image/a.bmp", "Image/b.bmp", "ostrel.dat"}));
    EXPECT_EQ(read_all(result.dir / "Image" / "a.bmp"), "c");  // the later entry
}

TEST_F(Install, EntriesThatWouldLandOutsideThePackAreSkippedWithANote) {
    const fs::path outside = dir_ / "outside";
    const std::vector<Member> members = {
        {"ostrel.dat", "x"},
        {"..\\..\\outside", "escaped"},
        {"/" + outside.string(), "escaped"},
        {"link", "", Member::Symlink, dir_.string()},
        {"link/outside", "through the link"},
        {"hard", "", Member::Symlink, "/etc/passwd"},
    };
    write_libarchive(dir_ / "hostile.tar", members, "pax");
    const InstallResult result = install_file(dir_ / "hostile.tar");
    EXPECT_FALSE(fs::exists(outside));
    EXPECT_FALSE(fs::exists(dir_ / "packs" / "outside"));
    EXPECT_EQ(result.notes.size(), 4u);
    // The link is never made: the entry behind it is written into a folder of the pack.
    EXPECT_FALSE(fs::is_symlink(result.dir / "link"));
    EXPECT_EQ(read_all(result.dir / "link" / "outside"), "through the link");
    // The same in a ZIP written as Windows archivers do.
    const InstallResult zip = install("hostile.zip", zip_archive(members, false));
    EXPECT_FALSE(fs::exists(outside));
    EXPECT_EQ(zip.notes.size(), 4u);
}

TEST_F(Install, BombsFloodsCutsAndEmptyArchivesAreRefusedAndLeaveNothing) {
    // A gzip of zeros unpacks to a thousand times its size.
    write_libarchive(dir_ / "bomb.tar.gz",
                     {{"ostrel.dat", "x"}, {"zeros", std::string(8 << 20, '\0')}}, "pax", true);
    InstallRequest small;
    small.limits.ratio_from = 1 << 20;
    EXPECT_NE(refusal("bomb.tar.gz", read_all(dir_ / "bomb.tar.gz"), small).find("zip bomb"),
              std::string::npos);
    InstallRequest few;
    few.limits.entries = 100;
    few.limits.entry_bytes = 1000;
    std::vector<Member> many(100000, Member{"d", "", Member::Folder});
    EXPECT_NE(refusal("many.zip", zip_archive(many, false)).find("more than 20000 entries"),
              std::string::npos);
    EXPECT_NE(refusal("big.zip", zip_archive({{"ostrel.dat", std::string(1001, 'x')}}, false), few)
                  .find("larger than"),
              std::string::npos);
    InstallRequest total;
    total.limits.total_bytes = 1500;
    EXPECT_NE(
        refusal("total.zip",
                zip_archive({{"ostrel.dat", std::string(1000, 'x')}, {"b", std::string(1000, 'x')}},
                            false),
                total)
            .find("would take more than"),
        std::string::npos);
    const std::string whole =
        zip_archive({{"ostrel.dat", "x"}, {"movie/a.avi", std::string(100000, 'v')}}, false);
    EXPECT_NE(refusal("cut.zip", whole.substr(0, whole.size() / 2)).find("Cannot"),
              std::string::npos);
    EXPECT_NE(refusal("none.zip", zip_archive({{"readme.txt", "hello"}}, false))
                  .find("holds no data pack"),
              std::string::npos);
    EXPECT_NE(refusal("text.zip", "not an archive at all").find("Cannot"), std::string::npos);
}

TEST_F(Install, ALongNameIsSkippedWithANoteAndFoldersCountAgainstTheCap) {
    // Each entry a new chain of folders: the folders hit the cap before the entries do.
    std::vector<Member> chains = {{"ostrel.dat", "x"}};
    for (int i = 0; i < 40; ++i)
        chains.push_back({"f" + std::to_string(i) + "/a/b/c/", "", Member::Folder});
    InstallRequest few;
    few.limits.entries = 100;
    EXPECT_NE(refusal("chains.zip", zip_archive(chains, false), few).find("100 folders"),
              std::string::npos);
    std::string long_name;
    for (int i = 0; i < 90; ++i)
        long_name += "線";
    const InstallResult result = install(
        "long.zip",
        zip_archive({{"ostrel.dat", "x"}, {"image/" + long_name + ".bmp", "bm"}, {"a.dat", "a"}},
                    true));
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_NE(result.notes[0].find("255 bytes"), std::string::npos);
    EXPECT_EQ(result.files, 2);
}

TEST_F(Install, AHiddenFolderOrFileOfTheInstallsNameIsPassedOver) {
    fs::create_directories(packs_);
    write_bytes(packs_ / ".install-1.partial", "not a folder");
    const InstallResult result = install("a.zip", zip_archive({{"ostrel.dat", "x"}}, false));
    EXPECT_TRUE(fs::exists(result.dir / "ostrel.dat"));
    EXPECT_EQ(read_all(packs_ / ".install-1.partial"), "not a folder");
    EXPECT_FALSE(fs::exists(packs_ / ".install-2.partial"));
}

TEST_F(Install, CancellingThroughTheProgressLeavesNothing) {
    int calls = 0;
    InstallRequest request;
    request.progress = [&calls](std::int64_t read, std::int64_t total) {
        EXPECT_LE(read, total);
        return ++calls < 3;
    };
    std::vector<Member> members = {{"ostrel.dat", "x"}};
    for (int i = 0; i < 10; ++i)
        members.push_back({"f" + std::to_string(i), "data"});
    EXPECT_NE(refusal("cancel.zip", zip_archive(members, false), request).find("cancelled"),
              std::string::npos);
    EXPECT_EQ(calls, 3);
}

TEST_F(Install, AnAddOnGoesIntoAChosenPackAndReplacesOnlyWhatItMay) {
    install("base.zip",
            zip_archive(
                {{"ostrel.dat", "x"}, {"train_1.dat", "old"}, {"Image/t1/panel.bmp", "old panel"}},
                false));
    const std::string addon = zip_archive({{"addon/train_1.dat", "new"},
                                           {"addon/train_2.dat", "second"},
                                           {"addon/image/T1/panel.bmp", "new panel"}},
                                          false);
    try {
        install("addon.zip", addon);
        ADD_FAILURE() << "an add-on was installed as a pack";
    } catch (const NoPackInArchive& e) {
        EXPECT_TRUE(e.has_data_files);
    }
    InstallRequest request;
    request.add_to = "base";
    std::vector<std::string> asked;
    request.may_replace = [&asked](const std::string& file) {
        asked.push_back(file);
        return file == "train_1.dat";
    };
    const InstallResult result = install("addon.zip", addon, request);
    EXPECT_EQ(result.name, "base");
    EXPECT_EQ(read_all(packs_ / "base" / "train_1.dat"), "new");
    EXPECT_EQ(read_all(packs_ / "base" / "train_2.dat"), "second");
    EXPECT_EQ(read_all(packs_ / "base" / "Image" / "t1" / "panel.bmp"), "old panel");
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(result.notes.size(), 1u);
    EXPECT_EQ(tree(packs_).size(), tree(packs_ / "base").size() + 1);  // nothing else left
    request.add_to = "../base";
    EXPECT_THROW(install("addon.zip", addon, request), PackError);
    // A pack whose marker is named in capitals, as DOS archivers wrote it, takes add-ons too.
    install("dos.zip", zip_archive({{"OSTREL.DAT", "x"}}, false));
    request.add_to = "dos";
    EXPECT_EQ(install("addon.zip", addon, request).files, 3);
}

TEST_F(Install, ThePackListShowsTheLastDrivenFirstAndForgetsARemovedPack) {
    for (const char* name : {"b.zip", "a.zip", "c.zip"})
        install(name, zip_archive({{"ostrel.dat", "x"},
                                   {"line_1.dat", utf8_to_sjis("[LineName]\r\n京王線\r\n")},
                                   {"image/title/TITLE01.JPG", "jpeg"}},
                                  false));
    fs::create_directories(packs_ / ".install-9.partial");
    fs::create_directories(packs_ / "not-a-pack");
    mark_driven(packs_, "c", 100);
    mark_driven(packs_, "b", 200);
    std::vector<PackInfo> packs = list_packs(packs_);
    ASSERT_EQ(packs.size(), 3u);
    EXPECT_EQ(packs[0].name, "b");
    EXPECT_EQ(packs[1].name, "c");
    EXPECT_EQ(packs[2].name, "a");
    EXPECT_EQ(packs[0].line_name, "京王線");
    EXPECT_EQ(packs[0].title_picture, packs_ / "b" / "image" / "title" / "TITLE01.JPG");
    EXPECT_EQ(packs[0].last_driven, 200);
    EXPECT_GT(packs[0].bytes, 10);
    remove_pack(packs_, "b");
    packs = list_packs(packs_);
    ASSERT_EQ(packs.size(), 2u);
    EXPECT_EQ(packs[0].name, "c");
    EXPECT_THROW(remove_pack(packs_, ".."), PackError);
    EXPECT_NE(packs_json(packs).find("\"name\": \"c\""), std::string::npos);
}
