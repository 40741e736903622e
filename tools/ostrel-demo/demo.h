#pragma once
// The demo program directory: one route of twenty stations served three ways, five trains.

#include <filesystem>
#include <functional>
#include <string>

namespace ostrel::demo {

// Writes files under the directory; names are given with "\" as the data files write them.
class Output {
  public:
    explicit Output(std::filesystem::path dir) : dir_(std::move(dir)) {}
    void text(const std::string& name, const std::string& utf8_with_lf);  // Shift JIS, CR LF
    void bytes(const std::string& name, const std::string& data);
    const std::filesystem::path& dir() const { return dir_; }

  private:
    std::filesystem::path dir_;
};

void write_trains(Output& out);
void write_line_files(Output& out);
// The title window's slides, title pictures and menu background: scenes of the route.
void write_title_scenes(Output& out);
void write_program_files(Output& out);
void write_route_videos(Output& out,
                        const std::function<void(int percent, const std::string&)>&
                            progress);  // ostrel.dat, mascon.dat, help, readme, title pictures

// Everything, with a line of progress per part.
void write_demo(const std::filesystem::path& dir,
                const std::function<void(int percent, const std::string&)>& progress);

}  // namespace ostrel::demo
