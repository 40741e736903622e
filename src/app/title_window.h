#pragma once
// `TitleWindow`, the title window and the program's main window: the opening slide show, the title
// picture, and the menu of line services and trains that starts each drive. UI thread.

#include <QCoreApplication>
#include <QWidget>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/language.h"
#include "drive/loader.h"
#include "session/script.h"

class QLabel;
class QTextBrowser;
class QTimer;

namespace ostrel::app {

class ImageControl;
class MediaPlayer;
class Program;

class TitleWindow : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(TitleWindow)

  public:
    explicit TitleWindow(Program& program);
    ~TitleWindow() override;

    // Handlers, as the window's controls bind them.
    void start_up();
    void animate();
    void title_picture_clicked();
    void opening_movie_clicked();
    void choose_line(int line);  // 1 .. 5
    void line_pressed(int line, Qt::MouseButton button);
    void choose_train(int train);  // 1 .. 5; 0 after the file dialog
    void show_help();
    // "再生": a drive recorded in the driving window, driven back as it was driven.
    void choose_replay();
    // "Language / 言語": Japanese or English from the next start, kept with the settings.
    void choose_language();
    void set_language(Language language);
    void replay(const std::filesystem::path& file);
    // The readme in a window of the program's own, for a desktop without a browser.
    void show_readme(const QString& file);
    QTextBrowser* readme_window() const { return readme_; }
    void back_to_lines();
    void quit_program();

    // Title state, readable by tests.
    // The slide show before a click, the title picture with "クリックしてスタート", then the
    // line and train menus.
    enum class Stage { SlideShow = 1, TitlePicture = 2, Menus = 3 };
    Stage title_state = Stage::SlideShow;
    int slide_ticks = 0, menu_ticks = 0;
    bool any_train = false;
    std::string title_picture, opening_movie;
    DriveSelection selection;  // the path and range values left for the loader

    ImageControl* picture = nullptr;
    QLabel* status_label = nullptr;
    std::array<ImageControl*, 5> line{}, train{};
    ImageControl *help_button = nullptr, *replay_button = nullptr, *language_button = nullptr,
                 *back_button = nullptr, *quit_button = nullptr, *click_to_start = nullptr;
    QLabel *cursor = nullptr, *loading = nullptr;
    QWidget* movie_view = nullptr;
    QTimer* animation_timer = nullptr;
    std::unique_ptr<MediaPlayer> movie_player;

  protected:
    void closeEvent(QCloseEvent* e) override;  // closing the main window ends the program
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

  private:
    void load_title_picture(const std::string& name);
    void set_client_size(int width, int height, bool centre);
    void drive_ended();
    // The driving window on `selection`; a replay with `replay`.
    void open_driving_window(const DriveSelection& chosen, std::optional<ReplayScript> replay);

    Program& program_;
    std::string picked_dir_, picked_file_;  // from the file dialog, used once
    QTextBrowser* readme_ = nullptr;
};

}  // namespace ostrel::app
