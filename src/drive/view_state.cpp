#include "drive/view_state.h"

namespace ostrel {

namespace {

int index_of(const Panel& panel, std::string_view name) {
    const PanelPart* part = panel.find(name);
    return part ? static_cast<int>(part - panel.parts.data()) : -1;
}

}  // namespace

ViewState initial_view(const Panel& panel) {
    ViewState v;
    for (const PanelPart& part : panel.parts) {
        SpriteState s;
        s.visible = part.visible;
        s.alpha = part.alpha;
        if (part.pattern_width > 0 && part.pattern_height > 0) {
            s.pattern_count = std::max(1, (part.image.width / part.pattern_width) *
                                              (part.image.height / part.pattern_height));
        }
        v.sprites.push_back(s);
    }
    PanelIds& id = v.ids;
    id.panel2 = index_of(panel, "img_Panel2");
    id.lamp_door = index_of(panel, "img_Lamp_Door");
    id.lamp_power = index_of(panel, "img_Lamp_Power");
    id.lamp_eb = index_of(panel, "img_Lamp_EB");
    id.lamp_gen = index_of(panel, "img_Lamp_Gen");
    id.lamp_air = index_of(panel, "img_Lamp_Air");
    id.lamp_ele = index_of(panel, "img_Lamp_Ele");
    id.lamp_ats = index_of(panel, "img_Lamp_Ats");
    id.lamp_atsp1 = index_of(panel, "img_Lamp_Atsp1");
    id.lamp_atsp2 = index_of(panel, "img_Lamp_Atsp2");
    id.lamp_fwd = index_of(panel, "img_Lamp_Fwd");
    id.lamp_back = index_of(panel, "img_Lamp_Bck");
    id.lamp_stop = index_of(panel, "img_Lamp_stopalert");
    id.lamp_const = index_of(panel, "img_Lamp_const");
    id.needle_speed = index_of(panel, "img_Needle_speed");
    id.needle_er = index_of(panel, "img_Needle_ER");
    id.needle_bp = index_of(panel, "img_Needle_BP");
    id.needle_mr = index_of(panel, "img_Needle_MR");
    id.needle_sap = index_of(panel, "img_Needle_SAP");
    id.needle_bc = index_of(panel, "img_Needle_BC");
    id.needle_v = index_of(panel, "img_Needle_V");
    id.needle_i = index_of(panel, "img_Needle_I");
    id.cab_signal = index_of(panel, "img_cabsignal");
    id.notch_p = index_of(panel, "img_lamp_p");
    id.notch_b = index_of(panel, "img_lamp_b");
    id.notch_p2 = index_of(panel, "img_lamp_p2");
    id.notch_b2 = index_of(panel, "img_lamp_b2");
    id.gear = index_of(panel, "img_lamp_gear");
    id.gear_lever = index_of(panel, "img_gearlever");
    return v;
}

}  // namespace ostrel
