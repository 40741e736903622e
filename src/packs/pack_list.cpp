#include "packs/pack_list.h"

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <system_error>

#include "core/paths.h"
#include "core/text.h"
#include "packs/archive.h"
#include "packs/install.h"

namespace ostrel {

namespace fs = std::filesystem;

namespace {

const char* const kRecordFile = "packs.json";

nlohmann::json read_records(const fs::path& packs_dir) {
    std::ifstream in(packs_dir / kRecordFile);
    if (!in) return nlohmann::json::object();
    auto records = nlohmann::json::parse(in, nullptr, false);
    return records.is_object() ? records : nlohmann::json::object();
}

void write_records(const fs::path& packs_dir, const nlohmann::json& records) {
    // Written beside and renamed, so that a crash leaves the old file or the new one.
    const fs::path file = packs_dir / kRecordFile;
    const fs::path temp = packs_dir / (std::string(kRecordFile) + ".new");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << records.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        if (!out) return;
    }
    std::error_code ec;
    fs::rename(temp, file, ec);
}

// The "[LineName]" of the first line file by name, read from its first lines.
std::string line_name_of(const fs::path& dir) {
    std::vector<fs::path> lines;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 8 && equal_ignoring_ascii_case(name.substr(0, 4), "line") &&
            equal_ignoring_ascii_case(name.substr(name.size() - 4), ".dat") &&
            it->is_regular_file(ec))
            lines.push_back(it->path());
    }
    std::sort(lines.begin(), lines.end());
    for (const fs::path& path : lines) {
        std::ifstream in(path, std::ios::binary);
        std::string head(64 * 1024, '\0');
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        head.resize(static_cast<std::size_t>(in.gcount()));
        const TextFile text = split_text(std::move(head));
        std::size_t pos = 0;
        std::string_view line;
        bool next_is_name = false;
        while (text.next_line(pos, line)) {
            if (next_is_name) return text.display(std::string(line));
            // The key may have a note after it on its line, as the line reader allows.
            next_is_name =
                line.size() >= 10 && equal_ignoring_ascii_case(line.substr(0, 10), "[LineName]");
        }
    }
    return {};
}

std::int64_t folder_bytes(const fs::path& dir) {
    std::int64_t bytes = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec)) bytes += static_cast<std::int64_t>(it->file_size(ec));
    return bytes;
}

}  // namespace

PackInfo describe_pack(const fs::path& dir) {
    PackInfo p;
    p.name = dir.filename().string();
    p.dir = dir;
    p.line_name = line_name_of(dir);
    if (auto title = resolve_path(dir, "image\\title\\title01.jpg", Encoding::Utf8))
        p.title_picture = *title;
    p.bytes = folder_bytes(dir);
    return p;
}

std::vector<PackInfo> list_packs(const fs::path& packs_dir) {
    const nlohmann::json records = read_records(packs_dir);
    std::vector<PackInfo> packs;
    std::error_code ec;
    for (fs::directory_iterator it(packs_dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!is_pack_name(name) || !it->is_directory(ec)) continue;
        if (!resolve_path(it->path(), "ostrel.dat", Encoding::Utf8)) continue;
        PackInfo p = describe_pack(it->path());
        if (auto r = records.find("last_driven"); r != records.end() && r->is_object())
            if (auto t = r->find(name); t != r->end() && t->is_number_integer())
                p.last_driven = t->get<std::int64_t>();
        packs.push_back(std::move(p));
    }
    std::sort(packs.begin(), packs.end(), [](const PackInfo& a, const PackInfo& b) {
        if (a.last_driven != b.last_driven) return a.last_driven > b.last_driven;
        return a.name < b.name;
    });
    return packs;
}

void mark_driven(const fs::path& packs_dir, const std::string& name, std::int64_t when) {
    nlohmann::json records = read_records(packs_dir);
    if (!records["last_driven"].is_object()) records["last_driven"] = nlohmann::json::object();
    records["last_driven"][name] = when;
    write_records(packs_dir, records);
}

void remove_pack(const fs::path& packs_dir, const std::string& name) {
    if (!is_pack_name(name))
        throw PackError("データパックの名前が正しくありません。 Not a pack name: " + name);
    std::error_code ec;
    fs::remove_all(packs_dir / name, ec);
    if (ec)
        throw PackError("データパックを削除できません。 Cannot remove " +
                        (packs_dir / name).string() + ": " + ec.message());
    nlohmann::json records = read_records(packs_dir);
    if (records.contains("last_driven") && records["last_driven"].is_object()) {
        records["last_driven"].erase(name);
        write_records(packs_dir, records);
    }
}

std::string packs_json(const std::vector<PackInfo>& packs) {
    nlohmann::json list = nlohmann::json::array();
    for (const PackInfo& p : packs)
        list.push_back({{"name", p.name},
                        {"dir", p.dir.string()},
                        {"line_name", p.line_name},
                        {"title_picture", p.title_picture.string()},
                        {"bytes", p.bytes},
                        {"last_driven", p.last_driven}});
    return list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace ostrel
