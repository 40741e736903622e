#pragma once
// Writing the demo program directory on first start, with the demo generator installed beside
// the program: a progress dialog with the percentage and the current step, which the user may
// cancel. The generator writes into a directory of its own next to the target, which takes the
// target's name only once it is complete, so a cancelled or failed write leaves nothing behind.
// UI thread.

#include <QString>
#include <filesystem>

class QWidget;

namespace ostrel::app {

// The demo generator beside the program (the build folder) or installed with it, or nothing.
std::filesystem::path demo_generator_beside(const std::filesystem::path& executable_dir);

struct DemoResult {
    bool written = false;
    QString message;  // why not, for the user; empty when cancelled
};

// A step of the generator, as "[25%] the route video ..." names it, in the dialog's Japanese.
QString demo_step_name(const QString& english);

DemoResult write_demo_directory(const std::filesystem::path& generator,
                                const std::filesystem::path& target, QWidget* parent);

}  // namespace ostrel::app
