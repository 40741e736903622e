#pragma once
// Archives read through libarchive: ZIP, LZH (lh0 to lh7, header levels 0 to 2), 7z, RAR, tar
// and its compressions, and whatever else it knows. Names are handed on as stored, but for
// LZH, whose names libarchive reads as Shift JIS (code page 932), and archives that mark their
// names as Unicode, whose names come as UTF-8. One thread at a time.

#include <filesystem>
#include <memory>

#include "packs/archive.h"
#include "packs/install.h"

namespace ostrel {

class LibarchiveReader final : public ArchiveReader {
  public:
    // Opens the file; throws PackError when it is not an archive libarchive reads.
    explicit LibarchiveReader(const std::filesystem::path& file);
    ~LibarchiveReader() override;
    LibarchiveReader(const LibarchiveReader&) = delete;
    LibarchiveReader& operator=(const LibarchiveReader&) = delete;

    bool next(ArchiveEntry& entry) override;
    std::size_t read(char* buffer, std::size_t size) override;
    std::int64_t archive_bytes_read() const override;

  private:
    struct State;
    std::unique_ptr<State> s_;
};

// Installs the pack in an archive file: `request`'s archive name and size are the file's. Only
// a regular file is opened, never a pipe or a device.
InstallResult install_archive_file(const std::filesystem::path& file, InstallRequest request);

}  // namespace ostrel
