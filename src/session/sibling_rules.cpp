#include "session/sibling_rules.h"

#include "sim/stations.h"
#include "sound/callouts.h"
#include "view/line_side.h"
#include "view/panel_rules.h"

namespace ostrel {

namespace {

class Rules final : public SiblingRules {
  public:
    void refresh_notch_display(Drive& d) const override { ostrel::refresh_notch_display(d); }
    void show_gear_label(Drive& d) const override { ostrel::show_gear_label(d); }
    void timetable_page(Drive& d) const override { ostrel::timetable_page(d); }
    void station_callout(Drive& d, StationOccasion occasion) const override {
        ostrel::station_callout(d, occasion);
    }
    void queue_callout_id(Drive& d, int callout_id) const override {
        ostrel::queue_callout_id(d, callout_id);
    }
    void callout_key(Drive& d) const override { ostrel::callout_key(d); }
    void supervision_callout(Drive& d) const override { ostrel::supervision_callout(d); }
    void operate_doors(Drive& d) const override { ostrel::operate_doors(d); }
};

}  // namespace

const SiblingRules& sibling_rules() {
    static const Rules rules;
    return rules;
}

}  // namespace ostrel
