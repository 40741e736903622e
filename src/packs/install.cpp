#include "packs/install.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <system_error>

#include "core/paths.h"
#include "core/text.h"

namespace ostrel {

namespace fs = std::filesystem;

namespace {

std::string lower_ascii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool ends_with_dat(const std::string& name) {
    return name.size() >= 4 && lower_ascii(name.substr(name.size() - 4)) == ".dat";
}

// The hidden folder the archive is unpacked into; removed with all it holds unless kept.
class PartialFolder {
  public:
    explicit PartialFolder(const fs::path& packs_dir) {
        std::error_code ec;
        fs::create_directories(packs_dir, ec);
        if (ec)
            throw PackError("データパックのフォルダを作れません。 Cannot make the packs folder " +
                            packs_dir.string() + ": " + ec.message());
        // The first free name: another install, or anything else, may hold the others.
        for (int i = 1;; ++i) {
            path_ = packs_dir / (".install-" + std::to_string(i) + ".partial");
            ec.clear();
            if (fs::create_directory(path_, ec)) break;
            if ((ec && ec != std::errc::file_exists) || i > 10000)
                throw PackError("作業フォルダを作れません。 Cannot make a folder in " +
                                packs_dir.string() + (ec ? ": " + ec.message() : ""));
        }
    }
    ~PartialFolder() {
        if (path_.empty()) return;
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    // The folder has been renamed into place: its old name is not ours any more.
    void release() { path_.clear(); }
    PartialFolder(const PartialFolder&) = delete;
    PartialFolder& operator=(const PartialFolder&) = delete;
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// Folders and files made under one folder. A name that differs from one made before only in
// the case of its letters is the same folder or file, as it was on the Windows the pack was
// made on.
class Tree {
  public:
    explicit Tree(fs::path root) : root_(std::move(root)) {}

    // The folder for the first `count` components, made as needed; none when a file of the
    // same name stands in the way.
    std::optional<fs::path> folder(const std::vector<std::string>& parts, std::size_t count) {
        fs::path dir = root_;
        for (std::size_t i = 0; i < count; ++i) {
            auto& names = names_[dir.string()];
            auto [it, added] = names.try_emplace(lower_ascii(parts[i]), parts[i], true);
            if (!it->second.second) return std::nullopt;  // a file
            dir /= it->second.first;
            if (added) {
                std::error_code ec;
                fs::create_directory(dir, ec);
                if (ec) {
                    names.erase(it);  // not made: a later entry tries again
                    return std::nullopt;
                }
                ++folders_made_;
            }
        }
        return dir;
    }

    std::int64_t folders_made() const { return folders_made_; }

    // Where the file of these components goes; none when a folder of its name stands there.
    std::optional<fs::path> file(const std::vector<std::string>& parts) {
        auto dir = folder(parts, parts.size() - 1);
        if (!dir) return std::nullopt;
        auto& names = names_[dir->string()];
        auto [it, added] = names.try_emplace(lower_ascii(parts.back()), parts.back(), false);
        if (it->second.second) return std::nullopt;
        return *dir / it->second.first;
    }

  private:
    fs::path root_;
    std::int64_t folders_made_ = 0;
    // Per folder: its children by their lower-case name, with the name made and whether it is a
    // folder.
    std::map<std::string, std::map<std::string, std::pair<std::string, bool>>> names_;
};

// A child of `dir` whose name equals `name` but for the case of its letters.
std::optional<fs::path> child_ignoring_case(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    if (fs::exists(dir / name, ec)) return dir / name;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (equal_ignoring_ascii_case(it->path().filename().string(), name)) return it->path();
    return std::nullopt;
}

std::vector<fs::path> sorted_children(const fs::path& dir) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        out.push_back(it->path());
    std::sort(out.begin(), out.end());
    return out;
}

// The shallowest folder that holds "ostrel.dat", the first by name at its depth.
std::optional<fs::path> find_pack_root(const fs::path& top) {
    std::vector<fs::path> level{top};
    while (!level.empty()) {
        std::vector<fs::path> next;
        for (const fs::path& dir : level) {
            std::error_code ec;
            for (const fs::path& child : sorted_children(dir)) {
                if (fs::is_directory(fs::symlink_status(child, ec))) {
                    next.push_back(child);
                } else if (equal_ignoring_ascii_case(child.filename().string(), "ostrel.dat")) {
                    return dir;
                }
            }
        }
        level = std::move(next);
    }
    return std::nullopt;
}

bool holds_data_files(const fs::path& top) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(top, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec) && ends_with_dat(it->path().filename().string())) return true;
    return false;
}

// An add-on's files go into the pack as they lie under its top folders: folders that hold
// nothing but one folder are stepped into.
fs::path add_on_root(fs::path dir) {
    for (;;) {
        const auto children = sorted_children(dir);
        std::error_code ec;
        if (children.size() != 1 || !fs::is_directory(fs::symlink_status(children[0], ec)))
            return dir;
        dir = children[0];
    }
}

void merge_add_on(const fs::path& from, const fs::path& pack, const InstallRequest& request,
                  InstallResult& result) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const fs::path rel = fs::relative(it->path(), from, ec);
        if (ec) continue;
        // Each folder found whatever the case of its name, or made.
        // A link in the pack is never followed: the add-on stays inside the pack.
        fs::path dir = pack;
        bool linked = false;
        for (auto part = rel.begin(); std::next(part) != rel.end(); ++part) {
            auto found = child_ignoring_case(dir, part->string());
            dir = found ? *found : dir / *part;
            linked = linked || fs::is_symlink(fs::symlink_status(dir, ec));
            if (linked) break;
            fs::create_directories(dir, ec);
            if (ec) break;
        }
        if (ec || linked) {
            result.notes.push_back(rel.string() +
                                   ": フォルダを作れません (cannot make its folder)");
            ec.clear();
            continue;
        }
        const std::string name = rel.filename().string();
        const auto existing = child_ignoring_case(dir, name);
        if (existing && fs::is_symlink(fs::symlink_status(*existing, ec))) {
            result.notes.push_back(rel.string() + ": リンクは置き換えません (a link is kept)");
            continue;
        }
        if (existing && !(request.may_replace && request.may_replace(rel.string()))) {
            result.notes.push_back(rel.string() + ": 既にあるので残しました (kept the pack's own)");
            continue;
        }
        const fs::path target = existing ? *existing : dir / name;
        fs::rename(it->path(), target, ec);
        if (ec) {
            result.notes.push_back(rel.string() + ": " + ec.message());
            ec.clear();
            continue;
        }
        ++result.files;
    }
}

}  // namespace

constexpr std::size_t kMaxNameBytes = 255;
constexpr std::size_t kMaxDepth = 32;

bool is_pack_name(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.front() != '.' &&
           name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
}

NoPackInArchive::NoPackInArchive(bool data_files)
    : PackError(data_files ? "この書庫には ostrel.dat がありません。路線や車両のファイルは、"
                             "インストール済みのデータパックに追加できます。 The archive holds "
                             "no ostrel.dat; its line or vehicle files can be added to an "
                             "installed pack."
                           : "この書庫にはデータパックがありません (ostrel.dat も路線・車両の"
                             "ファイルもありません)。 The archive holds no data pack: no "
                             "ostrel.dat and no line or vehicle files."),
      has_data_files(data_files) {}

std::optional<std::vector<std::string>> entry_path(const std::string& stored, std::string& why) {
    std::string text = stored;
    if (!is_valid_utf8(text)) {
        text = sjis_to_utf8(stored);
        if (text.find("\xEF\xBF\xBD") != std::string::npos) {
            why =
                "名前が UTF-8 でもシフトJIS でもありません (the name is neither UTF-8 nor "
                "Shift JIS)";
            return std::nullopt;
        }
    }
    if (text.find('\0') != std::string::npos) {
        why = "名前に NUL があります (a name with a NUL byte)";
        return std::nullopt;
    }
    if (!text.empty() && (text[0] == '/' || text[0] == '\\')) {
        why = "絶対パスです (an absolute name)";
        return std::nullopt;
    }
    if (text.size() >= 2 && text[1] == ':' &&
        ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'))) {
        why = "ドライブ名が付いています (a name with a drive letter)";
        return std::nullopt;
    }
    std::vector<std::string> parts;
    std::string part;
    auto finish = [&]() -> bool {
        if (part == "..") return false;
        if (!part.empty() && part != ".") parts.push_back(part);
        part.clear();
        return true;
    };
    for (char c : text) {
        if (c == '/' || c == '\\') {
            if (!finish()) break;
        } else {
            part += c;
        }
    }
    if (part == ".." || !finish()) {
        why = "データパックの外を指しています (the name climbs out of the pack)";
        return std::nullopt;
    }
    // What Linux takes: 255 bytes a name (a Japanese name that fitted Windows may not), and a
    // depth no pack needs more of.
    for (const std::string& p : parts) {
        if (p.size() > kMaxNameBytes) {
            why = "名前が長すぎます (a name longer than 255 bytes)";
            return std::nullopt;
        }
    }
    if (parts.size() > kMaxDepth) {
        why = "フォルダが深すぎます (folders nested deeper than 32)";
        return std::nullopt;
    }
    return parts;
}

std::string pack_name_for(const std::string& archive_name, const fs::path& packs_dir) {
    std::string stem = fs::path(archive_name).filename().string();
    for (const char* ext : {".gz", ".xz", ".bz2", ".zst", ".tgz", ".zip", ".lzh", ".lha", ".7z",
                            ".rar", ".tar", ".exe"}) {
        const std::string e = ext;
        if (stem.size() > e.size() && lower_ascii(stem.substr(stem.size() - e.size())) == e)
            stem.erase(stem.size() - e.size());
    }
    // Decoded first, so that a Shift JIS character ending in the backslash's byte stays whole.
    if (!is_valid_utf8(stem)) stem = sjis_to_utf8(stem);
    std::string name;
    for (char c : stem)
        name += (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
    while (!name.empty() && (name.front() == '.' || name.front() == ' '))
        name.erase(0, 1);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    // At most 120 bytes, cut where a character starts.
    if (name.size() > 120) {
        std::size_t cut = 120;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    // The list of packs keeps its records beside them.
    if (name.empty() || name.rfind("packs.json", 0) == 0) name = "pack-" + name;
    std::error_code ec;
    std::string candidate = name;
    for (int n = 2; fs::exists(fs::symlink_status(packs_dir / candidate, ec)); ++n)
        candidate = name + "-" + std::to_string(n);
    return candidate;
}

InstallResult install_pack(ArchiveReader& archive, const InstallRequest& request) {
    const InstallLimits& limits = request.limits;
    InstallResult result;
    PartialFolder partial(request.packs_dir);
    Tree tree(partial.path());
    auto keep_going = [&] {
        if (request.progress &&
            !request.progress(archive.archive_bytes_read(), request.archive_size))
            throw InstallCancelled();
    };
    // Folders count against the entries' cap too: one entry can name many.
    auto check_folders = [&] {
        if (tree.folders_made() > limits.entries)
            throw PackError("フォルダが多すぎます (" + std::to_string(limits.entries) +
                            " を超えています)。 The archive makes more than " +
                            std::to_string(limits.entries) + " folders.");
    };
    std::vector<char> buffer(std::size_t{1} << 20);
    std::int64_t entries = 0, since_progress = 0;
    ArchiveEntry entry;
    while (archive.next(entry)) {
        keep_going();
        if (++entries > limits.entries)
            throw PackError("書庫の項目が多すぎます (" + std::to_string(limits.entries) +
                            " を超えています)。 The archive holds more than " +
                            std::to_string(limits.entries) + " entries.");
        if (entry.name.empty()) {
            result.notes.push_back("?: 名前を読めません (an entry whose name cannot be read)");
            continue;
        }
        std::string why;
        const auto parts = entry_path(entry.name, why);
        const std::string shown = is_valid_utf8(entry.name) ? entry.name : sjis_to_utf8(entry.name);
        if (!parts) {
            result.notes.push_back(shown + ": " + why);
            continue;
        }
        if (parts->empty()) continue;
        switch (entry.kind) {
            case ArchiveEntry::Kind::Link:
                result.notes.push_back(shown + ": リンクは展開しません (links are skipped)");
                continue;
            case ArchiveEntry::Kind::Other:
                result.notes.push_back(shown +
                                       ": 特殊ファイルは展開しません (device files and "
                                       "the like are skipped)");
                continue;
            case ArchiveEntry::Kind::Directory:
                if (!tree.folder(*parts, parts->size()))
                    result.notes.push_back(shown + ": フォルダを作れません (cannot make it)");
                check_folders();
                continue;
            case ArchiveEntry::Kind::File:
                break;
        }
        if (entry.size > limits.entry_bytes)
            throw PackError(shown + " が大きすぎます。 The file " + shown + " is larger than " +
                            std::to_string(limits.entry_bytes >> 20) + " MB.");
        const auto target = tree.file(*parts);
        check_folders();
        if (!target) {
            result.notes.push_back(shown +
                                   ": 同じ名前のファイルかフォルダがあります (a file or folder "
                                   "of the same name is in the way)");
            continue;
        }
        std::ofstream out(*target, std::ios::binary | std::ios::trunc);
        if (!out) throw PackError("書き込めません。 Cannot write " + target->string() + ".");
        std::int64_t written = 0;
        while (const std::size_t n = archive.read(buffer.data(), buffer.size())) {
            const auto bytes = static_cast<std::int64_t>(n);
            written += bytes;
            result.bytes += bytes;
            if (written > limits.entry_bytes)
                throw PackError(shown + " が大きすぎます。 The file " + shown + " is larger than " +
                                std::to_string(limits.entry_bytes >> 20) + " MB.");
            if (result.bytes > limits.total_bytes)
                throw PackError(
                    "展開すると大きすぎます。 Unpacked, the archive would take more than " +
                    std::to_string(limits.total_bytes >> 30) + " GB.");
            if (result.bytes > limits.ratio_from &&
                static_cast<double>(result.bytes) >
                    limits.ratio * static_cast<double>(
                                       std::max<std::int64_t>(1, archive.archive_bytes_read())))
                throw PackError(
                    "圧縮率が異常です (書庫爆弾のおそれ)。 The archive unpacks to over " +
                    std::to_string(static_cast<int>(limits.ratio)) +
                    " times its size: it looks like a zip bomb.");
            out.write(buffer.data(), static_cast<std::streamsize>(n));
            if (!out)
                throw PackError(
                    "書き込めません (ディスクの空きを確かめてください)。 Cannot write " +
                    target->string() + "; is the disk full?");
            if ((since_progress += bytes) >= (std::int64_t{4} << 20)) {
                since_progress = 0;
                keep_going();
            }
        }
        out.close();
        if (!out) throw PackError("書き込めません。 Cannot write " + target->string() + ".");
        ++result.files;
    }
    keep_going();

    if (const auto root = find_pack_root(partial.path())) {
        result.name = pack_name_for(request.archive_name, request.packs_dir);
        result.dir = request.packs_dir / result.name;
        std::error_code ec;
        fs::rename(*root, result.dir, ec);
        if (ec)
            throw PackError("インストールできません。 Cannot move the pack into " +
                            result.dir.string() + ": " + ec.message());
        if (*root == partial.path()) partial.release();
        return result;
    }
    const bool data_files = holds_data_files(partial.path());
    if (!request.add_to || !data_files) throw NoPackInArchive(data_files);
    result.name = *request.add_to;
    result.dir = request.packs_dir / result.name;
    std::error_code ec;
    if (!is_pack_name(*request.add_to) || !resolve_path(result.dir, "ostrel.dat", Encoding::Utf8))
        throw PackError("追加先のデータパックがありません。 No installed pack named " +
                        *request.add_to + ".");
    result.files = 0;
    merge_add_on(add_on_root(partial.path()), result.dir, request, result);
    return result;
}

}  // namespace ostrel
