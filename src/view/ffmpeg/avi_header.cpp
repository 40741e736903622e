#include "view/ffmpeg/avi_header.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <string_view>
#include <system_error>

namespace ostrel {

namespace {

struct Chunk {
    std::array<char, 4> tag{};
    std::uint64_t size = 0;
};

bool read_chunk(std::ifstream& in, std::uint64_t at, Chunk& c, std::array<char, 4>* list_type) {
    in.seekg(static_cast<std::streamoff>(at));
    std::array<unsigned char, 12> b{};
    in.read(reinterpret_cast<char*>(b.data()), list_type ? 12 : 8);
    if (!in) return false;
    for (int i = 0; i < 4; ++i)
        c.tag[static_cast<std::size_t>(i)] = static_cast<char>(b[static_cast<std::size_t>(i)]);
    c.size = std::uint64_t{b[4]} | std::uint64_t{b[5]} << 8 | std::uint64_t{b[6]} << 16 |
             std::uint64_t{b[7]} << 24;
    if (list_type)
        for (int i = 0; i < 4; ++i)
            (*list_type)[static_cast<std::size_t>(i)] =
                static_cast<char>(b[static_cast<std::size_t>(8 + i)]);
    return true;
}

bool is(const std::array<char, 4>& tag, const char* name) {
    return std::string_view(tag.data(), 4) == std::string_view(name, 4);
}

}  // namespace

std::string avi_header_problem(const std::filesystem::path& file) {
    std::error_code ec;
    const std::uint64_t file_size = std::filesystem::file_size(file, ec);
    if (ec) return ec.message();
    std::ifstream in(file, std::ios::binary);
    if (!in) return "cannot be read";
    Chunk riff;
    std::array<char, 4> form{};
    if (!read_chunk(in, 0, riff, &form) || !is(riff.tag, "RIFF")) return {};  // FFmpeg says why
    // The chunks in front of the frames, lists opened as they come; the frames' list and the
    // index after them are not looked into.
    std::uint64_t at = 12;
    std::uint64_t end = file_size;
    int chunks = 0;
    while (at + 8 <= end && chunks++ < 100000) {
        Chunk c;
        std::array<char, 4> type{};
        const bool list = read_chunk(in, at, c, nullptr) && is(c.tag, "LIST");
        in.clear();
        if (list && read_chunk(in, at, c, &type)) {
            if (is(type, "movi")) break;
            at += 12;  // into the list
            continue;
        }
        in.clear();
        if (is(c.tag, "idx1") || is(c.tag, "RIFF")) break;
        if (c.size > file_size - (at + 8))
            return "a header chunk claims more bytes than the file holds";
        at += 8 + c.size + (c.size & 1);
    }
    return {};
}

}  // namespace ostrel
