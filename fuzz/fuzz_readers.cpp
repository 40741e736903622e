// Feeds arbitrary bytes to every reader of a data file and to the picture and wave decoders.
// The first byte chooses the reader; the rest is the file. A reader may refuse the input with
// a UserError or a DecodeError, but nothing else may happen.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/decode/decoders.h"
#include "core/error.h"
#include "core/numbers.h"
#include "core/paths.h"
#include "core/text.h"
#include "data/distances.h"
#include "data/line.h"
#include "data/mascon.h"
#include "data/panel.h"
#include "data/section.h"
#include "data/strings_file.h"
#include "data/vehicle.h"

namespace {

// Every named picture is a small one, so that the readers get past their image keys.
ostrel::Image tiny_image(const std::string& name) {
    if (!name.empty() && name[0] == '!') throw ostrel::DecodeError("refused");
    ostrel::Image img;
    img.width = 2;
    img.height = 2;
    img.pixels.resize(4);
    return img;
}

void read_text_files(std::uint8_t which, std::string_view body) {
    ostrel::TextFile file = ostrel::split_text(std::string(body));
    switch (which) {
        case 0: {
            ostrel::Vehicle v = ostrel::read_vehicle(file, tiny_image);
            ostrel::finish_vehicle(v);
            ostrel::build_panel(v, tiny_image);
            break;
        }
        case 1: {
            ostrel::Line line = ostrel::read_line_file(file, 1, tiny_image);
            ostrel::build_speed_profile(line.SpeedUnit);
            ostrel::build_line_distances(line);
            for (const auto& st : line.Station)
                (void)line.display(st.name);
            (void)ostrel::start_clock(line, 0, [](int n) { return n; });
            if (!line.Station.empty()) (void)ostrel::start_frame(line, 0);
            (void)ostrel::clock_text(line.StartPos);
            break;
        }
        case 2:
            (void)ostrel::read_string_file(file);
            break;
        case 3:
            (void)ostrel::read_mascon(file);
            break;
        default:
            for (const std::string& l : file.lines()) {
                (void)ostrel::parse_int(l);
                (void)ostrel::parse_real(l);
                (void)ostrel::parse_fixed4(l);
                (void)ostrel::field(l, 3);
                (void)ostrel::to_forward_slashes(l);
            }
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::uint8_t which = data[0] % 8;
    try {
        if (which < 5) {
            read_text_files(which, body);
        } else if (which == 5) {
            (void)ostrel::decode_bitmap(body);
        } else if (which == 6) {
            (void)ostrel::decode_jpeg(body);
        } else {
            ostrel::SndfileWaveDecoder waves;
            (void)waves.decode(body).playing_seconds();
        }
    } catch (const ostrel::UserError&) {
    } catch (const ostrel::DecodeError&) {
    }
    return 0;
}
