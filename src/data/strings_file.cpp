#include "data/strings_file.h"

#include "data/section.h"

namespace ostrel {

StringFile read_string_file(const TextFile& file) {
    StringFile f;
    f.encoding = file.encoding;
    SectionReader r(file);
    auto text = [&r](const char* key, std::string& out) {
        if (r.at_key(key)) out = r.read_text();
    };
    auto caption = [&r](const char* key, std::optional<std::string>& out) {
        if (r.at_key(key)) out = r.read_text();
    };
    while (r.more_lines()) {
        r.read_line();
        text("[Path]", f.Path);
        text("[Forward]", f.Forward);
        text("[Neutral]", f.Neutral);
        text("[Reverse]", f.Reverse);
        text("[Stop]", f.Stop);
        text("[Pass]", f.Pass);
        text("[Stop2]", f.Stop2);
        text("[Neut]", f.Neut);
        text("[Neut2]", f.Neut2);
        text("[Apply]", f.Apply);
        text("[Hold]", f.Hold);
        text("[Maintain]", f.Maintain);
        text("[Hold2]", f.Hold2);
        text("[EB]", f.EB);
        caption("[Start]", f.Start);
        caption("[Move]", f.Move);
        caption("[Display]", f.Display);
        caption("[Control]", f.Control);
        caption("[Save]", f.Save);
    }
    return f;
}

}  // namespace ostrel
