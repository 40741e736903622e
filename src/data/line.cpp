#include "data/line.h"

#include "core/error.h"
#include "data/section.h"

namespace ostrel {

namespace {

// One row of the speed profile: first and last frame, speed at each (km/h).
SpeedUnitRow speed_unit_row(const std::string& s) {
    SpeedUnitRow u;
    u.first_frame = to_int(field(s, 1));
    u.last_frame = to_int(field(s, 2));
    u.first_speed = to_real(field(s, 3));
    u.last_speed = to_real(field(s, 4));
    // The speed along a segment is interpolated over its frames.
    if (u.first_frame == u.last_frame)
        throw ConversionError("a speed segment must span at least one frame");
    return u;
}

void check_capacity(std::size_t rows, std::size_t capacity) {
    if (rows >= capacity) throw ConversionError("the table has more rows than it can hold");
}

class LineReader {
  public:
    LineReader(const TextFile& file, int start_station_index, const LineImageLoader& load_image)
        : r_(file), start_station_index_(start_station_index), load_image_(load_image) {
        l_.encoding = file.encoding;
    }

    Line read() {
        try {
            while (r_.more_lines()) {
                r_.read_line();
                context_ = "その他";
                header_keys();
                table_keys();
            }
        } catch (const UserError&) {
            throw;
        } catch (const std::exception&) {
            throw UserError(line_error_text(context_, l_.display(r_.current())));
        }
        return std::move(l_);
    }

  private:
    // A table of one comma-separated line per row, ended by "#".
    template <class Row, class Parse>
    void table(const char* key, std::vector<Row>& rows, std::size_t capacity, Parse parse) {
        context_ = key;
        if (!r_.at_key(key)) return;
        rows.clear();
        while (r_.read_row()) {
            check_capacity(rows.size(), capacity);
            rows.push_back(parse(r_.current()));
        }
    }

    void int_list(const char* key, std::vector<int>& values, std::size_t capacity) {
        table(key, values, capacity, [](const std::string& line) { return to_int(line); });
    }

    void image_list(const char* key, std::vector<std::string>& files, std::vector<Image>& images) {
        context_ = key;
        if (!r_.at_key(key)) return;
        while (r_.read_row()) {
            check_capacity(images.size(), Line::kMaxImages);
            files.push_back(r_.current());
            images.push_back(load_image_(r_.current()));
        }
    }

    void header_keys();
    void table_keys();

    SectionReader r_;
    int start_station_index_;
    const LineImageLoader& load_image_;
    Line l_;
    std::string context_;
};

void LineReader::header_keys() {
    if (r_.at_key("[LineName]")) l_.LineName = r_.read_text();
    if (r_.at_key("[LineName2]")) l_.LineName2 = r_.read_text();
    if (r_.at_key("[StartPos]")) l_.StartPos = r_.read_int();
    if (r_.at_key("[FrameRate]")) {
        l_.FrameRate = r_.read_int();
        // Sub-movie frames advance every 30 / FrameRate fast steps.
        if (l_.FrameRate < 1 || l_.FrameRate > 30)
            throw ConversionError("the frame rate must be 1 to 30");
    }
    if (r_.at_key("[Staf]")) {
        l_.staf_card_file = r_.read_text();
        l_.staf_opening_file = r_.read_text();
    }
    if (r_.at_key("[StartTime]")) l_.StartTime = r_.read_int();

    context_ = "[StafSwitch]";
    if (r_.at_key("[StafSwitch]")) {
        l_.StafSwitch.clear();
        l_.StafSwitch.push_back(r_.read_int());
        while (r_.read_row()) {
            check_capacity(l_.StafSwitch.size(), Line::kMaxStafSwitch);
            l_.StafSwitch.push_back(to_int(r_.current()));
        }
    }
    int_list("[MovieStop]", l_.MovieStop, Line::kMaxMovieStop);
    table("[MovieSwitch]", l_.MovieSwitch, Line::kMaxMovieSwitch, [](const std::string& s) {
        MovieSwitchRow m;
        m.kind = to_int(field(s, 1));
        m.first_frame = to_int(field(s, 2));
        m.last_frame = to_int(field(s, 3));
        m.movie_name = field(s, 4);
        m.length_frames = to_int(field(s, 5));
        m.resume_frame = to_int(field(s, 6));
        return m;
    });
    int_list("[Speed_Signal]", l_.Speed_Signal, Line::kMaxSpeedSignal);
    if (r_.at_key("[DataName]")) l_.DataName = r_.read_text();

    context_ = "[Pre_Train]";
    if (r_.at_key("[Pre_Train]")) {
        const std::string& header = r_.read_line();
        l_.pre_train_start_frame = to_int(field(header, 1));
        l_.pre_train_last_frame = to_int(field(header, 2));
        l_.Pre_Train.clear();
        while (r_.read_row()) {
            check_capacity(l_.Pre_Train.size(), Line::kMaxPreTrain);
            const std::string& s = r_.current();
            l_.Pre_Train.push_back({to_int(field(s, 1)), to_int(field(s, 2)), to_int(field(s, 3))});
        }
    }
    if (r_.at_key("[OneMan]")) l_.OneMan = r_.read_int();
    table("[SoundData]", l_.SoundData, Line::kMaxSoundData, [](const std::string& s) { return s; });

    context_ = "[Announce]";
    if (r_.at_key("[Announce]")) {
        l_.standstill_sound = r_.read_int();
        l_.Announce.clear();
        while (r_.read_row()) {
            check_capacity(l_.Announce.size() + 1, Line::kMaxAnnounce);
            const std::string& s = r_.current();
            l_.Announce.push_back({to_int(field(s, 1)), to_int(field(s, 2)), to_int(field(s, 3)),
                                   to_int(field(s, 4))});
        }
    }
    context_ = "[KankoSound1]";
    if (r_.at_key("[KankoSound1]")) {
        for (std::size_t id = 0; id < Line::kKankoSound1Lines; ++id)
            l_.KankoSound1[id] = r_.read_text();
    }
    context_ = "[KankoSound2]";
    if (r_.at_key("[KankoSound2]")) {
        l_.KankoSound2.clear();
        l_.callout_count = 21;
        while (r_.read_row()) {
            check_capacity(static_cast<std::size_t>(l_.callout_count), Line::kMaxCallouts);
            l_.KankoSound2.push_back({l_.callout_count - 21, r_.current()});
            ++l_.callout_count;
        }
    }
}

void LineReader::table_keys() {
    context_ = "[Sound]";
    if (r_.at_key("[Sound]")) {
        l_.Sound.clear();
        while (r_.read_row()) {
            const std::string& s = r_.current();
            if (s[0] == ';') continue;  // a comment row
            check_capacity(l_.Sound.size(), Line::kMaxRows);
            SoundPointRow p;
            p.sound_no = to_int(field(s, 1));
            p.start_frame = to_int(field(s, 2));
            p.end_frame = to_int(field(s, 3));
            p.ref_speed = to_int(field(s, 4));
            p.mode = to_int(field(s, 5));
            p.pitch_follow = to_int(field(s, 6));
            p.volume_follow = to_int(field(s, 7));
            // Pitch and volume follow speed / ref_speed, which needs a positive ref_speed.
            if (p.ref_speed <= 0 && (p.pitch_follow != 0 || p.volume_follow == 1))
                throw ConversionError("a sound that follows speed needs a reference speed");
            l_.Sound.push_back(p);
        }
    }
    table("[Doppler]", l_.Doppler, Line::kMaxRows, [](const std::string& s) {
        DopplerRow p;
        p.sound_no = to_int(field(s, 1));
        p.frame = to_int(field(s, 2));
        p.range = to_int(field(s, 3));
        p.no_shift = to_int(field(s, 4));
        return p;
    });
    table("[Tunnel]", l_.Tunnel, Line::kMaxRows, [](const std::string& s) {
        TunnelRow t;
        t.entry_frame = to_int(field(s, 1));
        t.exit_frame = to_int(field(s, 2));
        t.depth = to_int(field(s, 3));
        return t;
    });
    table("[Station]", l_.Station, Line::kMaxRows, [this](const std::string& s) {
        StationRow st;
        st.name = field(s, 1);
        st.kind = to_int(field(s, 2));
        st.frame = to_int(field(s, 3));
        st.door_last_frame = to_int(field(s, 4));
        st.arrival_sound = to_int(field(s, 5));
        st.departure_sound = to_int(field(s, 6));
        st.column7 = to_int(field(s, 7));
        st.departure_time = to_int(field(s, 8));
        st.pattern_speed = to_int(field(s, 9));
        st.station_door_sounds = to_int(field(s, 10));
        // The train starts at this station: no arrival announcement there.
        if (static_cast<int>(l_.Station.size()) == start_station_index_) st.arrival_sound = 0;
        return st;
    });
    int_list("[StopSound]", l_.StopSound, Line::kMaxRows);
    table("[Signal]", l_.Signal, Line::kMaxRows, [](const std::string& s) {
        SignalRow sig;
        for (int i = 0; i < 12; ++i)
            sig.columns[static_cast<std::size_t>(i)] = to_int(field(s, i + 1));
        return sig;
    });
    table("[Slope]", l_.Slope, Line::kMaxRows, [](const std::string& s) {
        return SlopeRow{to_fixed4(field(s, 1)), to_int(field(s, 2)), to_int(field(s, 3))};
    });
    table("[Sign]", l_.Sign, Line::kMaxRows, [](const std::string& s) {
        return SignRow{to_int(field(s, 1)), to_int(field(s, 2)), to_int(field(s, 3)),
                       to_int(field(s, 4))};
    });
    table("[SignalKanko]", l_.SignalKanko, Line::kMaxRows, [](const std::string& s) {
        return SignalCalloutRow{to_int(field(s, 1)), to_int(field(s, 2)), to_int(field(s, 3))};
    });
    table("[StationKanko]", l_.StationKanko, Line::kMaxRows, [](const std::string& s) {
        return StationCalloutRow{to_int(field(s, 1)), to_int(field(s, 2)), to_int(field(s, 3))};
    });
    table("[SpeedLimit]", l_.SpeedLimit, Line::kMaxRows, [](const std::string& s) {
        SpeedLimitRow lim;
        lim.limit = to_int(field(s, 1));
        lim.image = to_int(field(s, 2));
        lim.value = to_int(field(s, 3));
        lim.start_frame = to_int(field(s, 4));
        lim.end_frame = to_int(field(s, 5));
        return lim;
    });
    table("[SpeedCheck1]", l_.SpeedCheck1, Line::kMaxRows, [](const std::string& s) {
        return PointCheckRow{to_int(field(s, 1)), to_int(field(s, 2))};
    });
    table("[SpeedCheck2]", l_.SpeedCheck2, Line::kMaxRows, [](const std::string& s) {
        return ZoneCheckRow{to_int(field(s, 1)), to_int(field(s, 2)), to_int(field(s, 3))};
    });
    image_list("[SignImageList]", l_.sign_image_files, l_.SignImageList);
    context_ = "[OtherImageList]";
    if (r_.at_key("[OtherImageList]")) {
        while (r_.read_row()) {
            check_capacity(l_.OtherImageList.size(), Line::kMaxImages);
            l_.other_image_files.push_back(r_.current());
            l_.OtherImageList.push_back(load_image_(r_.current()));
            l_.OtherSound.push_back(r_.read_text());
        }
    }
    image_list("[SignalImageList]", l_.signal_image_files, l_.SignalImageList);
    image_list("[SignalImageList2]", l_.signal_image2_files, l_.SignalImageList2);
    table("[SpeedUnit]", l_.SpeedUnit, Line::kMaxRows, speed_unit_row);
    image_list("[CrossImageList]", l_.cross_image_files, l_.CrossImageList);
    table("[Cross]", l_.Cross, Line::kMaxCross, [](const std::string& s) {
        return CrossingRow{to_int(field(s, 1)), to_int(field(s, 2)), to_int(field(s, 3)),
                           to_int(field(s, 4)), to_int(field(s, 5))};
    });
    table("[Time]", l_.Time, Line::kMaxTime, [](const std::string& s) {
        return TimePointRow{to_int(field(s, 1)), to_int(field(s, 2)), to_int(field(s, 3))};
    });
    table("[Switch]", l_.Switch, Line::kMaxSwitch, [](const std::string& s) {
        SwitchRow p;
        p.frame = to_int(field(s, 1));
        p.switch_type = to_int(field(s, 2));
        return p;
    });
}

}  // namespace

void reload_speed_units(Line& line, const TextFile& file) {
    std::vector<SpeedUnitRow> rows;
    bool in_group = false;
    std::size_t pos = 0;
    for (std::string_view text; file.next_line(pos, text);) {
        if (text.starts_with("[SpeedUnit]")) {
            in_group = true;
            continue;
        }
        if (!in_group) continue;
        if (text.starts_with("#")) {
            in_group = false;
            continue;
        }
        SpeedUnitRow u = speed_unit_row(std::string(text));
        if (rows.size() == Line::kMaxRows) throw ConversionError("too many speed segments");
        if (rows.size() < line.SpeedUnit.size())
            u.end_distance = line.SpeedUnit[rows.size()].end_distance;
        rows.push_back(u);
    }
    line.SpeedUnit = std::move(rows);
}

std::string line_error_text(const std::string& context, const std::string& line_utf8) {
    return "路線ファイルに誤りがあります。" + context + ":" + line_utf8;
}

Line read_line_file(const TextFile& file, int start_station_index,
                    const LineImageLoader& load_image) {
    return LineReader(file, start_station_index, load_image).read();
}

}  // namespace ostrel
