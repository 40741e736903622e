#include "data/panel.h"

#include "core/error.h"

namespace ostrel {

namespace {

class PanelBuilder {
  public:
    PanelBuilder(const Vehicle& v, const PanelImageLoader& load) : v_(v), load_(load) {}

    void add(std::string name, const std::string& file, Image image, int x, int y, int depth,
             bool transparent, int pattern_width = 0, int pattern_height = 0) {
        PanelPart part;
        part.name = std::move(name);
        part.file = file;
        part.image = std::move(image);
        part.transparent = transparent;
        if (transparent) part.transparent_colour = part.image.transparent_colour();
        part.pattern_width = pattern_width;
        part.pattern_height = pattern_height;
        part.x = x;
        part.y = y;
        part.depth = depth;
        part.width = pattern_width > 0 ? pattern_width : part.image.width;
        part.height = pattern_height > 0 ? pattern_height : part.image.height;
        panel_.parts.push_back(std::move(part));
    }

    Image load(const std::string& file) {
        try {
            Image image = load_(file);
            if (image.empty()) throw DecodeError("empty picture");
            return image;
        } catch (const std::exception&) {
            throw UserError(display_text(file, v_.encoding) + "の生成エラー");
        }
    }

    void strip(const char* name, const PatternStripKey& key, int depth) {
        if (!key.present || key.file.empty()) return;
        add(name, key.file, key.image, key.x, key.y, depth, true, key.pattern_width,
            key.pattern_height);
    }

    PanelPart* simple(const char* name, const PanelImageKey& key, int depth, bool transparent,
                      bool visible = true) {
        if (!key.present || key.file.empty()) return nullptr;
        add(name, key.file, load(key.file), key.x, key.y, depth, transparent);
        panel_.parts.back().visible = visible;
        return &panel_.parts.back();
    }

    void needle(const char* name, const NeedleKey& key, int depth) {
        if (!key.present || key.file.empty()) return;
        add(name, key.file, load(key.file), key.x, key.y, depth, true);
        panel_.parts.back().needle = true;
        panel_.parts.back().alpha_blended = true;
    }

    Panel build() {
        strip("img_cabsignal", v_.Lamp_signal, 30);
        strip("img_lamp_p", v_.NotchImageP, 31);
        strip("img_lamp_b", v_.NotchImageB, 32);
        strip("img_lamp_p2", v_.NotchImageP2, 33);
        strip("img_lamp_b2", v_.NotchImageB2, 34);
        strip("img_lamp_gear", v_.GearImageList, 35);
        strip("img_gearlever", v_.GearImageList2, 36);

        simple("img_Panel", v_.Panel, 0, false);
        if (PanelPart* dark = simple("img_Panel2", v_.Panel2, 99, false)) {
            dark->alpha_blended = true;
            dark->alpha = 0;
        }
        simple("img_Lamp_Door", v_.Lamp_Door, 1, true);
        simple("img_Lamp_Power", v_.Lamp_Power, 2, true);
        // The emergency alarm lamp goes dark at the end of loading.
        simple("img_Lamp_EB", v_.Lamp_EB, 3, true, false);
        simple("img_Lamp_Gen", v_.Lamp_Gen, 4, true);
        simple("img_Lamp_Air", v_.Lamp_Air, 5, true);
        simple("img_Lamp_Ele", v_.Lamp_Ele, 6, true);
        simple("img_Lamp_Ats", v_.Lamp_Ats, 7, true, false);
        simple("img_Lamp_Atsp1", v_.Lamp_ATSP1, 8, true, false);
        simple("img_Lamp_Atsp2", v_.Lamp_ATSP2, 9, true, false);
        simple("img_Lamp_Fwd", v_.Lamp_Fwd, 10, true, true);
        simple("img_Lamp_Bck", v_.Lamp_Back, 11, true, false);
        simple("img_Lamp_stopalert", v_.Lamp_Stop, 12, true, false);
        needle("img_Needle_speed", v_.Needle_Speed, 13);
        needle("img_Needle_ER", v_.Needle_ER, 14);
        needle("img_Needle_BP", v_.Needle_BP, 15);
        needle("img_Needle_MR", v_.Needle_MR, 16);
        needle("img_Needle_SAP", v_.Needle_SAP, 17);
        needle("img_Needle_BC", v_.Needle_BC, 18);
        needle("img_Needle_V", v_.Needle_V, 19);
        needle("img_Needle_I", v_.Needle_I, 20);
        simple("img_Lamp_const", v_.Lamp_Const, 21, true, false);
        for (std::size_t i = 0; i < v_.Others.size(); ++i) {
            const OthersRow& row = v_.Others[i];
            if (row.file.empty()) continue;  // still takes its number and depth
            add("img_other" + std::to_string(i), row.file, load(row.file), row.x, row.y,
                22 + static_cast<int>(i), true);
        }
        return std::move(panel_);
    }

  private:
    const Vehicle& v_;
    const PanelImageLoader& load_;
    Panel panel_;
};

}  // namespace

const PanelPart* Panel::find(std::string_view name) const {
    for (const PanelPart& part : parts) {
        if (equal_ignoring_ascii_case(part.name, name)) return &part;
    }
    return nullptr;
}

Panel build_panel(const Vehicle& vehicle, const PanelImageLoader& load_image) {
    return PanelBuilder(vehicle, load_image).build();
}

}  // namespace ostrel
