#include "save/settings_store.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "core/error.h"
#include "core/numbers.h"
#include "core/paths.h"

namespace ostrel {

namespace {

std::string escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        char n = s[++i];
        out += n == 't' ? '\t' : n == 'n' ? '\n' : n == 'r' ? '\r' : n;
    }
    return out;
}

}  // namespace

std::optional<std::int32_t> MemorySettings::read_int(const std::string& key,
                                                     const std::string& name) const {
    auto it = ints_.find({key, name});
    if (it == ints_.end()) return std::nullopt;
    return it->second;
}

void MemorySettings::write_int(const std::string& key, const std::string& name,
                               std::int32_t value) {
    ints_[{key, name}] = value;
}

std::string MemorySettings::read_text(const std::string& key, const std::string& name) const {
    auto it = texts_.find({key, name});
    return it == texts_.end() ? std::string() : it->second;
}

void MemorySettings::write_text(const std::string& key, const std::string& name,
                                const std::string& value) {
    texts_[{key, name}] = value;
}

FileSettings::FileSettings(std::filesystem::path file) : file_(std::move(file)) {
    std::string bytes;
    try {
        bytes = read_file_bytes(file_, kMaxTextFileBytes);
    } catch (const FileError&) {
        return;  // no store yet, or none that can be read: every setting takes its default
    }
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> parts;
        std::size_t start = 0;
        for (std::size_t tab;
             (tab = line.find('\t', start)) != std::string::npos && parts.size() < 3;
             start = tab + 1)
            parts.push_back(line.substr(start, tab - start));
        if (parts.size() != 3) continue;
        std::string value = unescape(line.substr(start));
        std::string key = unescape(parts[1]), name = unescape(parts[2]);
        if (parts[0] == "i") {
            if (auto v = parse_int(value)) ints_[{key, name}] = *v;
        } else if (parts[0] == "s") {
            texts_[{key, name}] = value;
        }
    }
}

bool FileSettings::open_key(const std::string&) {
    std::ofstream probe(file_, std::ios::binary | std::ios::app);
    return static_cast<bool>(probe);
}

void FileSettings::write_int(const std::string& key, const std::string& name, std::int32_t value) {
    MemorySettings::write_int(key, name, value);
    save();
}

void FileSettings::write_text(const std::string& key, const std::string& name,
                              const std::string& value) {
    MemorySettings::write_text(key, name, value);
    save();
}

void FileSettings::write_texts(const std::string& key, const Texts& texts) {
    for (const auto& [name, value] : texts)
        MemorySettings::write_text(key, name, value);
    save();
}

void FileSettings::save() {
    std::ostringstream out;
    for (const auto& [k, v] : ints_)
        out << "i\t" << escape(k.first) << "\t" << escape(k.second) << "\t" << v << "\n";
    for (const auto& [k, v] : texts_)
        out << "s\t" << escape(k.first) << "\t" << escape(k.second) << "\t" << escape(v) << "\n";
    std::filesystem::path temp = file_;
    temp += ".new";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        file << out.str();
        file.flush();
        saved_ = static_cast<bool>(file);
    }
    std::error_code ec;
    if (saved_) std::filesystem::rename(temp, file_, ec);
    if (!saved_ || ec) {
        saved_ = false;
        std::filesystem::remove(temp, ec);
    }
}

}  // namespace ostrel
