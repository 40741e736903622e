#pragma once
// What the core asks of the window system: a message box, a dialog, a character posted to the
// driving window, a redraw. The desktop program shows them; the recorded shell of the headless
// runner and the tests keeps a log of them. UI thread.

#include <string>
#include <vector>

namespace ostrel {

// The windows the core opens or closes: the two end-of-run dialogs and the value display.
enum class Dialog {
    LastStop,      // the end of the run: a click ends the drive
    CrewChange,    // go on driving or end
    ValueDisplay,  // the value display shown
    ValueDisplayHidden,
};

// Its name in the headless runner's event log.
inline const char* dialog_name(Dialog dialog) {
    switch (dialog) {
        case Dialog::LastStop:
            return "last_stop";
        case Dialog::CrewChange:
            return "crew_change";
        case Dialog::ValueDisplay:
            return "value_display";
        case Dialog::ValueDisplayHidden:
            return "value_display closed";
    }
    return "";
}

inline bool ends_run(Dialog dialog) {
    return dialog == Dialog::LastStop || dialog == Dialog::CrewChange;
}

class Shell {
  public:
    virtual ~Shell() = default;
    virtual void message(const std::string& text) = 0;
    virtual void open_dialog(Dialog dialog) = 0;
    virtual void redraw() = 0;
    // Something the headless runner reports: a call-out, a sub-movie switch, a new hint.
    virtual void note(const std::string&) {}
    // A key a controller typed, about to be handled ('\0': Enter).
    virtual void key_typed(char) {}
};

class RecordedShell final : public Shell {
  public:
    void message(const std::string& text) override { log.push_back("message " + text); }
    void open_dialog(Dialog dialog) override {
        log.push_back(std::string("dialog ") + dialog_name(dialog));
    }
    void redraw() override { ++redraws; }
    void note(const std::string& text) override { log.push_back(text); }
    void key_typed(char key) override {
        log.push_back(std::string("key typed by the controller: ") +
                      (key ? std::string(1, key) : std::string("Enter")));
    }

    std::vector<std::string> log;  // taken by whoever reads it
    int redraws = 0;
};

}  // namespace ostrel
