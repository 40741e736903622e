// Feeds arbitrary bytes to the pack installer as an archive file: the install may fail, but
// nothing may crash, and nothing may be left outside the packs folder.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "packs/libarchive/libarchive_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace fs = std::filesystem;
    static const fs::path work =
        fs::temp_directory_path() / ("ostrel-fuzz-packs-" + std::to_string(::getpid()));
    const fs::path archive = work / "archive", packs = work / "packs";
    fs::remove_all(work);
    fs::create_directories(work);
    {
        std::ofstream out(archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    ostrel::InstallRequest request;
    request.packs_dir = packs;
    request.limits.total_bytes = 16 << 20;
    request.limits.entry_bytes = 8 << 20;
    request.limits.ratio_from = 1 << 20;
    request.limits.entries = 2000;
    request.add_to = "pack";
    request.may_replace = [](const std::string&) { return true; };
    try {
        (void)ostrel::install_archive_file(archive, request);
    } catch (const ostrel::PackError&) {
    }
    // Only the archive and the packs folder may be there.
    for (const auto& entry : fs::directory_iterator(work))
        if (entry.path() != archive && entry.path() != packs) std::abort();
    fs::remove_all(work);
    return 0;
}
