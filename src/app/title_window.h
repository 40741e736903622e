#pragma once
// `TForm5`, the title window and the program's main window: the opening slide show, the title
// picture, and the menu of line services and trains that starts each drive. UI thread.

#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "drive/loader.h"

class QLabel;
class QTextBrowser;
class QTimer;

namespace ostrel::app {

class ImageControl;
class MediaPlayer;
class Program;

class TForm5 : public QWidget {
  public:
    explicit TForm5(Program& program);
    ~TForm5() override;

    // Handlers, as the window's controls bind them.
    void FormCreate();
    void Timer1Timer();
    void Imageclick();
    void aviclick();
    void lineclick(int line);  // 1 .. 5
    void Menumousedown(int line, Qt::MouseButton button);
    void Trainclick(int train);  // 1 .. 5; 0 after the file dialog
    void helpclick();
    // The readme in a window of the program's own, for a desktop without a browser.
    void show_readme(const QString& file);
    QTextBrowser* readme_window() const { return readme_; }
    void backclick();
    void quitClick();

    // Title state, readable by tests.
    int title_state = 1, slide_ticks = 0, menu_ticks = 0;
    bool any_train = false;
    std::string title_picture, opening_movie;
    DriveSelection selection;  // the path and range values left for the loader

    ImageControl* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    std::array<ImageControl*, 5> line{}, train{};
    ImageControl *HELP = nullptr, *back = nullptr, *quit = nullptr, *cts = nullptr;
    QLabel *cursor = nullptr, *loading = nullptr;
    QWidget* DXDraw1 = nullptr;
    QTimer* Timer1 = nullptr;
    std::unique_ptr<MediaPlayer> MediaPlayer1;

  protected:
    void closeEvent(QCloseEvent* e) override;     // closing the main window ends the program
    void keyPressEvent(QKeyEvent* e) override;    // KeyDown
    void keyReleaseEvent(QKeyEvent* e) override;  // KeyUp

  private:
    void load_image1(const std::string& name);
    void set_client_size(int width, int height, bool centre);
    void drive_ended();

    Program& program_;
    std::string picked_dir_, picked_file_;  // from the file dialog, used once
    QTextBrowser* readme_ = nullptr;
};

}  // namespace ostrel::app
