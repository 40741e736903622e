#pragma once
// Archives for the installer's tests, written byte by byte (ZIP and LZH, so that the names'
// bytes and flags are exactly what a Windows archiver writes) or through libarchive (7z, tar).

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace ostrel::fixture {

struct Member {
    enum Kind { File, Folder, Symlink };
    Member() = default;
    Member(std::string name_bytes, std::string bytes = {}, Kind what = File,
           std::string target = {})
        : name(std::move(name_bytes)),
          data(std::move(bytes)),
          kind(what),
          link(std::move(target)) {}

    std::string name;  // the stored bytes
    std::string data;
    Kind kind = File;
    std::string link;  // a symlink's target
};

// A ZIP of stored entries; `utf8_flag` marks every name as UTF-8 (general purpose bit 11).
std::string zip_archive(const std::vector<Member>& members, bool utf8_flag);

// An LZH of "-lh0-" entries with headers of `level` 0, 1 or 2; names as given, with "\\" or
// "/" between folders (level 2 keeps the folders in a header of their own).
std::string lzh_archive(const std::vector<Member>& members, int level);

// Through libarchive: `format` "7zip", "pax" or "zip", `gzip` to compress the whole.
void write_libarchive(const std::filesystem::path& file, const std::vector<Member>& members,
                      const std::string& format, bool gzip = false);

// Every file under `dir` as members under `top` ("" for none), names in UTF-8.
std::vector<Member> members_of(const std::filesystem::path& dir, const std::string& top);

void write_bytes(const std::filesystem::path& file, const std::string& bytes);

}  // namespace ostrel::fixture
