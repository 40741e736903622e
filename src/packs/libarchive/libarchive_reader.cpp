#include "packs/libarchive/libarchive_reader.h"

#include <archive.h>
#include <archive_entry.h>
#include <locale.h>
#include <sys/stat.h>

#include <string>

namespace ostrel {

namespace {

// libarchive converts names marked as Unicode to the thread's locale: it reads in UTF-8,
// whatever the program's locale is, and gives the thread's locale back afterwards.
class Utf8Locale {
  public:
    Utf8Locale() {
        static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        if (utf8) before_ = uselocale(utf8);
    }
    ~Utf8Locale() {
        if (before_) uselocale(before_);
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;

  private:
    locale_t before_ = static_cast<locale_t>(0);
};

}  // namespace

struct LibarchiveReader::State {
    archive* a = nullptr;
    std::string file;

    [[noreturn]] void fail(const char* what) const {
        const char* why = archive_error_string(a);
        throw PackError("書庫を読めません。 Cannot read the archive " + file + ": " + what +
                        (why ? std::string(" (") + why + ")" : std::string()));
    }
};

LibarchiveReader::LibarchiveReader(const std::filesystem::path& file) : s_(new State) {
    const Utf8Locale locale;
    s_->file = file.string();
    s_->a = archive_read_new();
    if (!s_->a) throw PackError("書庫を読めません。 Out of memory.");
    archive_read_support_filter_all(s_->a);
    archive_read_support_format_all(s_->a);
    // LZH keeps no mark of its names' code page; packs come from Japanese Windows.
    archive_read_set_format_option(s_->a, "lha", "hdrcharset", "CP932");
    if (archive_read_open_filename(s_->a, s_->file.c_str(), 64 * 1024) != ARCHIVE_OK) {
        const char* why = archive_error_string(s_->a);
        const std::string message = "書庫として読めません。 Cannot open " + s_->file +
                                    " as an archive" +
                                    (why ? std::string(": ") + why : std::string()) + ".";
        archive_read_free(s_->a);
        s_->a = nullptr;
        throw PackError(message);
    }
}

LibarchiveReader::~LibarchiveReader() {
    if (s_->a) archive_read_free(s_->a);
}

bool LibarchiveReader::next(ArchiveEntry& entry) {
    const Utf8Locale locale;
    archive_entry* e = nullptr;
    const int r = archive_read_next_header(s_->a, &e);
    if (r == ARCHIVE_EOF) return false;
    if (r < ARCHIVE_WARN) s_->fail("a damaged entry header");
    const char* name = archive_entry_pathname(e);
    // A name that could not be converted stays empty: the installer notes the entry.
    entry.name = name ? name : "";
    if (!name)
        if (const char* utf8 = archive_entry_pathname_utf8(e)) entry.name = utf8;
    entry.size = archive_entry_size_is_set(e) ? archive_entry_size(e) : -1;
    const auto type = archive_entry_filetype(e);
    if (archive_entry_hardlink(e) || archive_entry_symlink(e) || type == AE_IFLNK) {
        entry.kind = ArchiveEntry::Kind::Link;
    } else if (type == AE_IFDIR) {
        entry.kind = ArchiveEntry::Kind::Directory;
    } else if (type == AE_IFREG || type == 0) {
        entry.kind = ArchiveEntry::Kind::File;
    } else {
        entry.kind = ArchiveEntry::Kind::Other;
    }
    return true;
}

std::size_t LibarchiveReader::read(char* buffer, std::size_t size) {
    const la_ssize_t n = archive_read_data(s_->a, buffer, size);
    if (n < 0) s_->fail("damaged data");
    return static_cast<std::size_t>(n);
}

std::int64_t LibarchiveReader::archive_bytes_read() const {
    return archive_filter_bytes(s_->a, -1);
}

InstallResult install_archive_file(const std::filesystem::path& file, InstallRequest request) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        throw PackError("書庫のファイルがありません。 No archive file " + file.string() + ".");
    request.archive_name = file.filename().string();
    request.archive_size = static_cast<std::int64_t>(std::filesystem::file_size(file, ec));
    LibarchiveReader reader(file);
    return install_pack(reader, request);
}

}  // namespace ostrel
