#include "view/ffmpeg/avi_header.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <array>
#include <cstdint>
#include <fstream>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/paths.h"

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
    // Where each list opened on the way ends: inside one, every chunk is a header chunk.
    std::vector<std::uint64_t> open_lists;
    while (at + 8 <= end && chunks++ < 100000) {
        while (!open_lists.empty() && at >= open_lists.back())
            open_lists.pop_back();
        Chunk c;
        std::array<char, 4> type{};
        const bool list = read_chunk(in, at, c, nullptr) && is(c.tag, "LIST");
        in.clear();
        if (list && read_chunk(in, at, c, &type)) {
            if (is(type, "movi")) break;
            open_lists.push_back(at + 8 + c.size);
            at += 12;  // into the list
            continue;
        }
        in.clear();
        // The index ends the header only where it belongs, after the frames' list; an OpenDML
        // file's next RIFF follows the first one. Inside the header either is a chunk like any
        // other, and FFmpeg reads on past it.
        if ((is(c.tag, "idx1") && open_lists.empty()) || (is(c.tag, "RIFF") && at >= 8 + riff.size))
            break;
        if (c.size > file_size - (at + 8))
            return "a header chunk claims more bytes than the file holds";
        at += 8 + c.size + (c.size & 1);
    }
    return {};
}

bool avi_has_index(const std::filesystem::path& file) {
    std::error_code ec;
    const std::uint64_t file_size = std::filesystem::file_size(file, ec);
    std::ifstream in(file, std::ios::binary);
    Chunk riff;
    std::array<char, 4> form{};
    if (ec || !in || !read_chunk(in, 0, riff, &form) || !is(riff.tag, "RIFF")) return false;
    std::uint64_t at = 12;
    int chunks = 0;
    while (at + 8 <= file_size && chunks++ < 100000) {
        Chunk c;
        std::array<char, 4> type{};
        in.clear();
        if (!read_chunk(in, at, c, &type)) break;
        if (is(c.tag, "idx1") || is(c.tag, "indx")) return true;
        if (is(c.tag, "LIST") && !is(type, "movi")) {
            at += 12;  // into the header's lists, where an OpenDML index stands
            continue;
        }
        at += 8 + c.size + (c.size & 1);
    }
    return false;
}

std::string av_error_text(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

namespace {

bool too_large(const AVFormatContext* format) {
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters* p = format->streams[i]->codecpar;
        if (p->codec_type == AVMEDIA_TYPE_VIDEO &&
            static_cast<std::int64_t>(p->width) * p->height > kMaxVideoPixels)
            return true;
    }
    return false;
}

}  // namespace

AVFormatContext* open_avi(const std::filesystem::path& file, std::string& error) {
    // A pipe or a device would block FFmpeg's open for ever.
    if (error = not_a_regular_file(file); !error.empty()) return nullptr;
    if (error = avi_header_problem(file); !error.empty()) return nullptr;
    AVFormatContext* format = nullptr;
    const int r =
        avformat_open_input(&format, file.string().c_str(), av_find_input_format("avi"), nullptr);
    if (r < 0) {
        error = av_error_text(r);
        return nullptr;
    }
    const std::string too_large_text =
        "the picture is larger than " + std::to_string(kMaxVideoPixels >> 20) + " million pixels";
    if (too_large(format)) {
        error = too_large_text;
        avformat_close_input(&format);
        return nullptr;
    }
    // Reading the parameters may decode a picture (to learn an MJPEG stream's pixel format):
    // its decoder is held to the same cap as ours.
    std::vector<AVDictionary*> options(format->nb_streams, nullptr);
    for (AVDictionary*& o : options)
        av_dict_set_int(&o, "max_pixels", kMaxVideoPixels, 0);
    const int found = avformat_find_stream_info(format, options.data());
    for (AVDictionary*& o : options)
        av_dict_free(&o);
    if (found < 0) {
        error = av_error_text(found);
        avformat_close_input(&format);
        return nullptr;
    }
    if (too_large(format)) {
        error = too_large_text;
        avformat_close_input(&format);
        return nullptr;
    }
    return format;
}

}  // namespace ostrel
