#include "core/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/error.h"

#include "fixture.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

class PathsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("ostrel_paths_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fixture::write_file(dir_ / "Image" / "Title" / "01.JPG", "x");
        fixture::write_file(dir_ / "sound" / "run.wav", "y");
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(PathsTest, FindsWindowsPathsWhoseCaseDoesNotMatch) {
    EXPECT_EQ(resolve_path(dir_, "image\\title\\01.jpg"), dir_ / "Image" / "Title" / "01.JPG");
    EXPECT_EQ(resolve_path(dir_, "sound\\run.wav"), dir_ / "sound" / "run.wav");
    EXPECT_EQ(resolve_path(dir_, "SOUND/RUN.WAV"), dir_ / "sound" / "run.wav");
    EXPECT_FALSE(resolve_path(dir_, "sound\\missing.wav"));
    EXPECT_FALSE(resolve_path(dir_, ""));
}

TEST_F(PathsTest, ShiftJisNamesAreFoundUnderTheirUtf8Names) {
    fixture::write_file(dir_ / "表示.bmp", "z");
    // The second byte of 表 is 0x5C, a backslash in ASCII: it is not a separator.
    std::string sjis = fixture::to_sjis("表示.bmp");
    ASSERT_EQ(sjis[1], '\\');
    EXPECT_EQ(to_forward_slashes(sjis), sjis);
    EXPECT_EQ(resolve_path(dir_, sjis, Encoding::ShiftJis), dir_ / "表示.bmp");
    EXPECT_EQ(to_forward_slashes("a\\b", Encoding::Utf8), "a/b");
}

TEST_F(PathsTest, OnlyRegularFilesWithinTheirCapAreRead) {
    EXPECT_EQ(read_file_bytes(dir_ / "sound" / "run.wav", 1), "y");
    auto why = [](const fs::path& p, std::uintmax_t cap) -> std::string {
        try {
            read_file_bytes(p, cap);
        } catch (const FileError& e) {
            return e.what();
        }
        return "read";
    };
    EXPECT_EQ(why(dir_ / "sound", 100), "Is a directory");
    EXPECT_EQ(why(dir_ / "none.wav", 100), "No such file or directory");
    EXPECT_EQ(why(dir_ / "sound" / "run.wav", 0), "File too large");
    // A pipe would hang the load for ever and a device would fill memory: neither is opened.
    ASSERT_EQ(::mkfifo((dir_ / "pipe.dat").c_str(), 0600), 0);
    EXPECT_EQ(why(dir_ / "pipe.dat", 100), "Not a regular file");
    EXPECT_EQ(why("/dev/zero", kMaxTextFileBytes), "Not a regular file");
    // A sparse file far over the cap is refused by its size, not read.
    fixture::write_file(dir_ / "huge.dat", "");
    fs::resize_file(dir_ / "huge.dat", kMaxTextFileBytes + 1);
    EXPECT_EQ(why(dir_ / "huge.dat", kMaxTextFileBytes), "File too large");
}

}  // namespace
}  // namespace ostrel
