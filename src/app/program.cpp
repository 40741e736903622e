#include "app/program.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <iostream>

#include "app/driving_window.h"
#include "app/media_player.h"
#include "app/small_windows.h"
#include "app/timing_log.h"
#include "app/title_window.h"
#include "sound/openal/openal_channels.h"

namespace ostrel::app {

Program::Program(std::filesystem::path program_dir, SettingsStore& settings, ProgramOptions options)
    : program_dir_(std::move(program_dir)), settings_(settings), options_(std::move(options)) {
    if (!options_.timing_log.empty())
        timing_log_ = std::make_unique<TimingLog>(options_.timing_log);
}

Program::~Program() {
    // The drive's steps stop before the windows they report to go.
    delete driving_;
    driving_ = nullptr;
    delete crew_change_;
    delete easy_cab_;
    delete last_stop_;
    delete values_;
    delete help_;
    delete title_;
}

void Program::create_windows() {
    // The title window hides while a drive runs; the program ends by its own quit.
    QApplication::setQuitOnLastWindowClosed(false);
    if (options_.sound_device) title_sound_ = OpenAlChannels::open_default();
    title_ = new TitleWindow(*this);
    if (ended_) return;
    help_ = new HelpWindow(*this);
    values_ = new ValueDisplayWindow(*this);
    last_stop_ = new LastStopDialog(*this);
    easy_cab_ = new EasyCabWindow(*this);
    crew_change_ = new CrewChangeDialog(*this);
    title_->show();
    if (options_.autopilot) {
        // Attract mode: through the title to the limited express with the first train.
        QTimer::singleShot(300, title_, [this] {
            if (title_->title_state == TitleWindow::Stage::SlideShow)
                title_->title_picture_clicked();
            if (title_->title_state == TitleWindow::Stage::TitlePicture)
                title_->title_picture_clicked();
            title_->choose_line(1);
            title_->choose_train(1);
        });
    }
    if (options_.quit_after_s > 0) {
        // Ending closes the driving window too.
        QTimer::singleShot(options_.quit_after_s * 1000, title_, [this] { end(0); });
    }
}

void Program::forward_key(QKeyEvent* e) {
    if (driving_) driving_->key_press(e);
}

void Program::message(const QString& text) {
    // A program that is ending (--quit-after) waits on no box: the text goes to the terminal.
    if (ended_) {
        std::cerr << "ostrel: " << text.toStdString() << "\n";
        return;
    }
    QMessageBox::information(driving_, QStringLiteral("Ostrel"), text);
}

void Program::fatal(const QString& text) {
    // A timed run (--quit-after) ends on its own: nobody is there to close a box.
    if (options_.quit_after_s > 0 || ended_) {
        std::cerr << "ostrel: " << text.toStdString() << "\n";
    } else {
        QMessageBox::critical(nullptr, QStringLiteral("Ostrel"), text);
    }
    end(1);
}

void Program::end(int code) {
    if (ended_) return;
    ended_ = true;
    exit_code_ = code;
    if (driving_) driving_->close();
    if (leave_event_loop) leave_event_loop(code);
}

}  // namespace ostrel::app
