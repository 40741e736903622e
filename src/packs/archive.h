#pragma once
// An archive as the pack installer reads it: entries one after the other, each with its name as
// stored and, for a file, its bytes read in pieces. Packs are read through libarchive; the tests
// also read archives they build in memory.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace ostrel {

struct ArchiveEntry {
    enum class Kind { File, Directory, Link, Other };
    // The name's bytes as stored: UTF-8, or Shift JIS from a Japanese Windows.
    std::string name;
    Kind kind = Kind::File;
    std::int64_t size = -1;  // the unpacked size its header gives; -1 when it gives none
};

class ArchiveReader {
  public:
    virtual ~ArchiveReader() = default;
    // The next entry's header; false after the last. Throws PackError for a damaged archive.
    virtual bool next(ArchiveEntry& entry) = 0;
    // Up to `size` bytes of the current entry; 0 at its end. Throws PackError.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
    // Bytes of the archive file read so far, for the progress and the compression ratio.
    virtual std::int64_t archive_bytes_read() const = 0;
};

// What went wrong, in words a user can act on.
class PackError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace ostrel
