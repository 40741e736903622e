#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "core/decode/decoders.h"
#include "core/error.h"

namespace ostrel {

namespace {

// libjpeg's default error exit ends the process; this one jumps back to the decoder instead.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void error_exit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void give_up(j_common_ptr cinfo, const char* why) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "%s", why);
    std::longjmp(err->jump, 1);
}

// A real picture has a handful of scans and no warnings. A file built of thousands of
// repeated scans (each reported as a warning) would keep the decoder busy for many seconds.
constexpr int kMaxScans = 256;
constexpr long kMaxWarnings = 100;

void count_warnings(j_common_ptr cinfo, int msg_level) {
    if (msg_level < 0 && ++cinfo->err->num_warnings > kMaxWarnings)
        give_up(cinfo, "too many damaged parts");
}

void count_scans(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        give_up(cinfo, "too many scans");
}

// Far beyond any panel, sign or title picture; refused before anything is allocated.
constexpr unsigned long kMaxPixels = 16UL * 1024 * 1024;

enum class Outcome { Ok, LibraryError, TooLarge };

// Everything this frame changes after setjmp lives behind the pointers, so nothing is lost
// when libjpeg jumps back here.
Outcome run(jpeg_decompress_struct* cinfo, ErrorManager* err, std::string_view bytes, Image* out,
            std::vector<JSAMPLE>* row) {
    if (setjmp(err->jump)) return Outcome::LibraryError;
    jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(cinfo, TRUE);
    if (static_cast<unsigned long>(cinfo->image_width) * cinfo->image_height > kMaxPixels)
        return Outcome::TooLarge;
    cinfo->out_color_space = JCS_RGB;
    jpeg_start_decompress(cinfo);
    out->width = static_cast<int>(cinfo->output_width);
    out->height = static_cast<int>(cinfo->output_height);
    out->pixels.assign(static_cast<std::size_t>(cinfo->output_width) * cinfo->output_height,
                       Rgba{});
    row->resize(static_cast<std::size_t>(cinfo->output_width) * 3);
    while (cinfo->output_scanline < cinfo->output_height) {
        std::size_t y = cinfo->output_scanline;
        JSAMPROW rows[1] = {row->data()};
        jpeg_read_scanlines(cinfo, rows, 1);
        const JSAMPLE* p = row->data();
        for (std::size_t x = 0; x < cinfo->output_width; ++x) {
            out->pixels[y * cinfo->output_width + x] =
                Rgba{p[3 * x], p[3 * x + 1], p[3 * x + 2], 255};
        }
    }
    jpeg_finish_decompress(cinfo);
    return Outcome::Ok;
}

}  // namespace

Image decode_jpeg(std::string_view bytes) {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.base);
    err.base.error_exit = error_exit;
    err.base.emit_message = count_warnings;
    jpeg_create_decompress(&cinfo);
    jpeg_progress_mgr progress{};
    progress.progress_monitor = count_scans;
    cinfo.progress = &progress;
    Image out;
    std::vector<JSAMPLE> row;
    Outcome outcome;
    try {
        outcome = run(&cinfo, &err, bytes, &out, &row);
    } catch (...) {
        jpeg_destroy_decompress(&cinfo);
        throw;
    }
    jpeg_destroy_decompress(&cinfo);
    if (outcome == Outcome::LibraryError)
        throw DecodeError(std::string("not a JPEG that can be read: ") + err.message);
    if (outcome == Outcome::TooLarge) throw DecodeError("the JPEG is too large");
    return out;
}

}  // namespace ostrel
