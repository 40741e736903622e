#pragma once
// What the core asks of the window system: a message box, a dialog, a character posted to the
// driving window, a redraw. The desktop program shows them; the recorded shell of the headless
// runner and the tests keeps a log of them. UI thread.

#include <string>
#include <vector>

namespace ostrel {

class Shell {
  public:
    virtual ~Shell() = default;
    virtual void message(const std::string& text) = 0;
    // "last_stop", "crew_change", "help", "value_display", ...
    virtual void open_dialog(const std::string& name) = 0;
    virtual void redraw() = 0;
    // Something the headless runner reports: a call-out, a sub-movie switch, a new hint.
    virtual void note(const std::string&) {}
};

class RecordedShell final : public Shell {
  public:
    void message(const std::string& text) override { log.push_back("message " + text); }
    void open_dialog(const std::string& name) override { log.push_back("dialog " + name); }
    void redraw() override { ++redraws; }
    void note(const std::string& text) override { log.push_back(text); }

    std::vector<std::string> log;  // taken by whoever reads it
    int redraws = 0;
};

}  // namespace ostrel
