#include "core/paths.h"

#include "core/error.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace ostrel {

namespace fs = std::filesystem;

std::string to_forward_slashes(std::string_view windows_path, Encoding encoding) {
    std::string out(windows_path);
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        // In Shift JIS the second byte of a double-byte character may be 0x5C.
        if (encoding == Encoding::ShiftJis &&
            ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC))) {
            ++i;
            continue;
        }
        if (c == '\\') out[i] = '/';
    }
    return out;
}

namespace {

bool present(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec);
}

std::optional<fs::path> resolve_one(const fs::path& base, const std::string& name) {
    fs::path wanted(name);
    fs::path current = wanted.is_absolute() ? wanted.root_path() : base;
    if (present(current / wanted.relative_path())) return current / wanted.relative_path();
    for (const fs::path& part : wanted.relative_path()) {
        std::string component = part.string();
        if (component.empty() || component == ".") continue;
        if (component == "..") {
            current /= "..";
            continue;
        }
        fs::path direct = current / part;
        if (present(direct)) {
            current = direct;
            continue;
        }
        std::error_code ec;
        std::optional<fs::path> found;
        std::vector<fs::path> entries;
        for (fs::directory_iterator it(current.empty() ? fs::path(".") : current, ec), end;
             !ec && it != end; it.increment(ec)) {
            entries.push_back(it->path());
        }
        std::sort(entries.begin(), entries.end());  // the same choice on every run
        for (const fs::path& entry : entries) {
            if (equal_ignoring_ascii_case(entry.filename().string(), component)) {
                found = current / entry.filename();
                break;
            }
        }
        if (!found) return std::nullopt;
        current = *found;
    }
    return current;
}

}  // namespace

std::optional<fs::path> resolve_path(const fs::path& base, std::string_view name,
                                     Encoding encoding) {
    if (name.empty()) return std::nullopt;
    std::string forward = to_forward_slashes(name, encoding);
    if (auto p = resolve_one(base, forward)) return p;
    if (encoding == Encoding::ShiftJis) {
        std::string utf8 = sjis_to_utf8(forward);
        if (utf8 != forward) return resolve_one(base, utf8);
    }
    return std::nullopt;
}

std::string not_a_regular_file(const fs::path& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) return std::generic_category().message(ENOENT);
    if (fs::is_directory(status)) return std::generic_category().message(EISDIR);
    if (!fs::is_regular_file(status)) return "Not a regular file";
    return {};
}

std::string read_file_bytes(const fs::path& path, std::uintmax_t max_bytes) {
    if (std::string why = not_a_regular_file(path); !why.empty()) throw FileError(why);
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) throw FileError(ec.message());
    if (size > max_bytes) throw FileError(std::generic_category().message(EFBIG));
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FileError(std::generic_category().message(errno ? errno : EACCES));
    // Only the bytes measured are read, should the file grow meanwhile.
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (in.bad()) throw FileError(std::generic_category().message(EIO));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

}  // namespace ostrel
