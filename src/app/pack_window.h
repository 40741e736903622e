#pragma once
// The installed data packs, to choose the one to drive: each with its title picture, its
// line's name, its size and when it was last driven, the last driven first. Archives are
// installed from a file dialog or dropped onto the window, the demo can be written as one more
// pack, and a pack can be removed. UI thread.

#include <QCoreApplication>
#include <QDialog>
#include <filesystem>
#include <optional>
#include <vector>

#include "packs/install.h"
#include "packs/pack_list.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace ostrel::app {

// Installs the pack in an archive with a progress dialog (percentage and cancel), unpacking on
// a thread of its own. An archive of line or vehicle files is offered to an installed pack,
// and each file the pack has already is replaced only when the user says so; the entries
// skipped are listed when it is done. The result, or none when it failed (the message shown)
// or was cancelled.
std::optional<InstallResult> install_with_progress(const std::filesystem::path& archive,
                                                   const std::filesystem::path& packs_dir,
                                                   QWidget* parent);

class PackWindow : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(PackWindow)

  public:
    // `earlier`: a program directory of an earlier version (the user's data directory itself),
    // listed with the packs but never removed from here.
    PackWindow(std::filesystem::path packs_dir, std::filesystem::path executable_dir,
               std::optional<PackInfo> earlier = std::nullopt, QWidget* parent = nullptr);

    // The program directory of the pack chosen (once exec() has returned Accepted).
    const std::filesystem::path& chosen() const { return chosen_; }

    // Installs an archive and selects the pack it made or added to.
    bool install(const std::filesystem::path& archive);
    // Reads the installed packs again and selects the one named, or the first.
    void refresh(const std::string& select = {});

    QListWidget* list = nullptr;
    QLabel* empty_label = nullptr;
    QPushButton *start_button = nullptr, *install_button = nullptr, *demo_button = nullptr,
                *remove_button = nullptr;

  protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

  private:
    void start_selected();
    void install_from_dialog();
    void write_demo();
    void remove_selected();
    const PackInfo* selected() const;

    std::filesystem::path packs_dir_, executable_dir_, chosen_;
    std::optional<PackInfo> earlier_;
    std::vector<PackInfo> packs_;
};

}  // namespace ostrel::app
