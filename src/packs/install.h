#pragma once
// Installing a data pack from an archive: every entry is unpacked into a hidden folder beside
// the installed packs, the folder that holds "ostrel.dat" is found in it and renamed into place
// once everything is written. A failure or a cancel leaves nothing behind. No entry is ever
// written outside that folder: names that climb out, absolute names, links and device files
// are skipped with a note, and the caps below end an install that would fill the disk.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "packs/archive.h"

namespace ostrel {

struct InstallLimits {
    std::int64_t total_bytes = std::int64_t{32} << 30;  // all files unpacked
    std::int64_t entry_bytes = std::int64_t{8} << 30;   // one file
    std::int64_t entries = 20000;
    // Unpacked bytes against the archive's bytes read, checked once past `ratio_from` bytes:
    // packs of pictures, sounds and videos come nowhere near it, a zip bomb does at once.
    double ratio = 100;
    std::int64_t ratio_from = std::int64_t{64} << 20;
};

struct InstallRequest {
    std::filesystem::path packs_dir;  // where the packs live, made when missing
    std::string archive_name;         // the file's name: the pack's name comes from it
    std::int64_t archive_size = 0;    // for the progress
    InstallLimits limits;
    // Now and then: the archive's bytes read so far and its size. False cancels the install.
    std::function<bool(std::int64_t read, std::int64_t total)> progress;
    // An add-on (an archive without "ostrel.dat"): the installed pack its files go into, and
    // whether a file the pack has already may be replaced (asked once per file).
    std::optional<std::string> add_to;
    std::function<bool(const std::string& file)> may_replace;
};

struct InstallResult {
    std::string name;  // the pack's folder name under the packs directory
    std::filesystem::path dir;
    std::int64_t files = 0, bytes = 0;
    std::vector<std::string> notes;  // entries skipped, and why
};

// The install was cancelled through the progress callback.
class InstallCancelled : public PackError {
  public:
    InstallCancelled() : PackError("インストールを中止しました。 The install was cancelled.") {}
};

// The archive holds no "ostrel.dat". `has_data_files`: it holds line or vehicle files, which
// may be added to an installed pack.
class NoPackInArchive : public PackError {
  public:
    explicit NoPackInArchive(bool data_files);
    bool has_data_files;
};

InstallResult install_pack(ArchiveReader& archive, const InstallRequest& request);

// An entry's name as a relative path of UTF-8 components: UTF-8 when the stored name is valid
// UTF-8, Shift JIS (code page 932) otherwise; backslashes and slashes both separate. None, with
// `why` set, for a name that climbs out ("..") or is absolute, or that is neither UTF-8 nor
// Shift JIS. "." and empty components are dropped.
std::optional<std::vector<std::string>> entry_path(const std::string& stored, std::string& why);

// The pack's folder name from the archive's file name ("keio-v2.zip" -> "keio-v2"), and the
// first of NAME, NAME-2, NAME-3 ... that is not taken under `packs_dir`.
// A name that is one folder right under the packs directory and not a hidden one.
bool is_pack_name(const std::string& name);

std::string pack_name_for(const std::string& archive_name, const std::filesystem::path& packs_dir);

}  // namespace ostrel
