#include "archives.h"

#include <archive.h>
#include <archive_entry.h>
#include <locale.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "core/encode/encoders.h"

namespace ostrel::fixture {

namespace fs = std::filesystem;

namespace {

std::uint32_t crc32(const std::string& data) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : data)
        c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// CRC-16 as LHA computes it (polynomial 0xA001, reflected, from 0).
unsigned crc16(const std::string& data) {
    unsigned c = 0;
    for (unsigned char b : data) {
        c ^= b;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ 0xA001 : c >> 1;
    }
    return c & 0xFFFF;
}

const std::uint32_t kDosTime = 0x5A8C6000;  // 2025-04-12, midnight

}  // namespace

std::string zip_archive(const std::vector<Member>& members, bool utf8_flag) {
    std::string out, central;
    for (const Member& m : members) {
        const std::string data = m.kind == Member::Symlink ? m.link : m.data;
        const std::string name = m.kind == Member::Folder ? m.name + "/" : m.name;
        const std::uint32_t crc = crc32(data);
        const unsigned flags = utf8_flag ? 0x800 : 0;
        const auto offset = static_cast<std::uint32_t>(out.size());
        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, flags);
        put16(out, 0);  // stored
        put32(out, kDosTime);
        put32(out, crc);
        put32(out, static_cast<std::uint32_t>(data.size()));
        put32(out, static_cast<std::uint32_t>(data.size()));
        put16(out, static_cast<unsigned>(name.size()));
        put16(out, 0);
        out += name;
        out += data;
        put32(central, 0x02014b50);
        put16(central, 0x0314);  // made by Unix, so that the mode below counts
        put16(central, 20);
        put16(central, flags);
        put16(central, 0);
        put32(central, kDosTime);
        put32(central, crc);
        put32(central, static_cast<std::uint32_t>(data.size()));
        put32(central, static_cast<std::uint32_t>(data.size()));
        put16(central, static_cast<unsigned>(name.size()));
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        const std::uint32_t mode = m.kind == Member::Symlink  ? 0120777
                                   : m.kind == Member::Folder ? 040755
                                                              : 0100644;
        put32(central, mode << 16);
        put32(central, offset);
        central += name;
    }
    const auto central_at = static_cast<std::uint32_t>(out.size());
    out += central;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<unsigned>(members.size()));
    put16(out, static_cast<unsigned>(members.size()));
    put32(out, static_cast<std::uint32_t>(central.size()));
    put32(out, central_at);
    put16(out, 0);
    return out;
}

std::string lzh_archive(const std::vector<Member>& members, int level) {
    std::string out;
    for (const Member& m : members) {
        if (m.kind != Member::File) throw std::logic_error("LZH: files only");
        const auto size = static_cast<std::uint32_t>(m.data.size());
        const unsigned crc = crc16(m.data);
        if (level == 0 || level == 1) {
            std::string h = "-lh0-";
            put32(h, size);  // level 1: the extension headers, none here, count in too
            put32(h, size);
            put32(h, kDosTime);
            h += static_cast<char>(0x20);
            h += static_cast<char>(level);
            h += static_cast<char>(m.name.size());
            h += m.name;
            put16(h, crc);
            if (level == 1) {
                h += 'M';     // made on MS-DOS
                put16(h, 0);  // no extension header
            }
            unsigned sum = 0;
            for (unsigned char c : h)
                sum += c;
            out += static_cast<char>(h.size());
            out += static_cast<char>(sum & 0xFF);
            out += h;
        } else {
            // Folders in a header of their own, separated by 0xFF; the file's name in another.
            std::string folder, file = m.name;
            if (auto cut = m.name.find_last_of("/\\"); cut != std::string::npos) {
                folder = m.name.substr(0, cut + 1);
                file = m.name.substr(cut + 1);
                std::replace(folder.begin(), folder.end(), '/', '\xFF');
                std::replace(folder.begin(), folder.end(), '\\', '\xFF');
            }
            std::string ext;
            auto extension = [&ext](char type, const std::string& data) {
                put16(ext, static_cast<unsigned>(data.size() + 3));
                ext += type;
                ext += data;
            };
            extension(0, std::string(2, '\0'));  // the header's CRC, worked out below
            extension(1, file);
            if (!folder.empty()) extension(2, folder);
            put16(ext, 0);
            std::string h;
            put16(h, static_cast<unsigned>(24 + ext.size()));
            h += "-lh0-";
            put32(h, size);
            put32(h, size);
            put32(h, 1744416000);  // the same moment, in seconds since 1970
            h += static_cast<char>(0x20);
            h += static_cast<char>(2);
            put16(h, crc);
            h += 'U';
            // The CRC of the whole header, taken with its own field still zero.
            std::string header = h + ext;
            const unsigned header_crc = crc16(header);
            header[24 + 3] = static_cast<char>(header_crc & 0xFF);
            header[24 + 4] = static_cast<char>(header_crc >> 8);
            out += header;
        }
        out += m.data;
    }
    out += '\0';
    return out;
}

void write_libarchive(const fs::path& file, const std::vector<Member>& members,
                      const std::string& format, bool gzip) {
    // Names are given in UTF-8 and written in UTF-8, whatever the test's locale.
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    const locale_t before = uselocale(utf8);
    archive* a = archive_write_new();
    archive_write_set_format_by_name(a, format.c_str());
    if (gzip) archive_write_add_filter_gzip(a);
    if (archive_write_open_filename(a, file.c_str()) != ARCHIVE_OK)
        throw std::runtime_error(archive_error_string(a));
    for (const Member& m : members) {
        archive_entry* e = archive_entry_new();
        archive_entry_update_pathname_utf8(e, m.name.c_str());
        archive_entry_set_mtime(e, 1744416000, 0);
        if (m.kind == Member::Folder) {
            archive_entry_set_filetype(e, AE_IFDIR);
            archive_entry_set_perm(e, 0755);
        } else if (m.kind == Member::Symlink) {
            archive_entry_set_filetype(e, AE_IFLNK);
            archive_entry_set_perm(e, 0777);
            archive_entry_update_symlink_utf8(e, m.link.c_str());
        } else {
            archive_entry_set_filetype(e, AE_IFREG);
            archive_entry_set_perm(e, 0644);
            archive_entry_set_size(e, static_cast<la_int64_t>(m.data.size()));
        }
        if (archive_write_header(a, e) != ARCHIVE_OK)
            throw std::runtime_error(archive_error_string(a));
        if (m.kind == Member::File && !m.data.empty())
            archive_write_data(a, m.data.data(), m.data.size());
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
    uselocale(before);
}

std::vector<Member> members_of(const fs::path& dir, const std::string& top) {
    std::vector<Member> out;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        Member m;
        m.name = (top.empty() ? "" : top + "/") + fs::relative(entry.path(), dir).generic_string();
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        m.data = bytes.str();
        out.push_back(std::move(m));
    }
    std::sort(out.begin(), out.end(),
              [](const Member& a, const Member& b) { return a.name < b.name; });
    return out;
}

void write_bytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace ostrel::fixture
