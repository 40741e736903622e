#pragma once
// The cab panel built from the vehicle file's panel keys: named images with their sprites'
// place, depth and first visibility. What they show while driving is the view's job.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/image.h"
#include "data/vehicle.h"

namespace ostrel {

struct PanelPart {
    std::string name;  // "img_Panel", "img_Lamp_Door", "img_other0", ...
    std::string file;  // as the vehicle file wrote it
    Image image;
    bool transparent = true;  // pixels of transparent_colour are not drawn
    Rgba transparent_colour;
    int pattern_width = 0, pattern_height = 0;
    bool needle = false;  // drawn rotated about its centre
    bool alpha_blended = false;
    int x = 0, y = 0, depth = 0;
    int width = 0, height = 0;  // one pattern, or the whole image
    bool visible = true;
    int alpha = 255;
};

struct Panel {
    std::vector<PanelPart> parts;  // in the order they were added

    // Looked up without regard to case; nullptr when the key was absent or its file empty.
    const PanelPart* find(std::string_view name) const;
};

using PanelImageLoader = std::function<Image(const std::string& raw_name)>;

// Adds the pattern strips read with the vehicle file, then builds the simple keys, the needles
// and "[Others]" in their fixed order. A picture that cannot be loaded is the UserError
// "<file>の生成エラー".
Panel build_panel(const Vehicle& vehicle, const PanelImageLoader& load_image);

}  // namespace ostrel
