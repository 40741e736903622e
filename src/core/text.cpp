#include "core/text.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace ostrel {

bool is_valid_utf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        int extra;
        unsigned min;
        unsigned cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, min = 0x80, cp = c & 0x1Fu;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, min = 0x800, cp = c & 0x0Fu;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000, cp = c & 0x07u;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(extra) >= s.size()) return false;
        for (int k = 1; k <= extra; ++k) {
            auto cc = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3Fu);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

bool equal_ignoring_ascii_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

namespace {

class Iconv {
  public:
    Iconv() : cd_(iconv_open("UTF-8", "CP932")) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv: CP932 is not available");
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    iconv_t get() const { return cd_; }

  private:
    iconv_t cd_;
};

}  // namespace

std::string sjis_to_utf8(std::string_view bytes) {
    std::string out;
    std::size_t plain = 0;
    while (plain < bytes.size() && static_cast<unsigned char>(bytes[plain]) < 0x80)
        ++plain;
    if (plain == bytes.size()) return std::string(bytes);

    thread_local Iconv conv;
    iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
    std::string in(bytes);
    char* src = in.data();
    std::size_t src_left = in.size();
    char buffer[256];
    while (src_left > 0) {
        char* dst = buffer;
        std::size_t dst_left = sizeof buffer;
        std::size_t r = iconv(conv.get(), &src, &src_left, &dst, &dst_left);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) continue;
            // An invalid or cut-off sequence: show a replacement and go on after its first byte.
            out += "\xEF\xBF\xBD";
            ++src;
            --src_left;
            iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

std::string utf8_to_sjis(std::string_view utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv: CP932 is not available");
    std::string in(utf8);
    std::string out(in.size() * 2 + 16, '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t src_left = in.size(), dst_left = out.size();
    std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1)) throw std::runtime_error("not convertible to Shift JIS");
    out.resize(out.size() - dst_left);
    return out;
}

std::string to_windows_text(std::string_view utf8_with_lf) {
    std::string crlf;
    for (char c : utf8_with_lf) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return utf8_to_sjis(crlf);
}

std::string display_text(std::string_view raw, Encoding encoding) {
    if (encoding == Encoding::Utf8) return std::string(raw);
    return sjis_to_utf8(raw);
}

namespace {

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string utf16_to_utf8(std::string_view bytes, bool big_endian) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return big_endian ? static_cast<char32_t>(a << 8 | b) : static_cast<char32_t>(b << 8 | a);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        // A half of a pair without its other half is shown as a replacement.
        append_utf8(out, c >= 0xD800 && c < 0xE000 ? char32_t{0xFFFD} : c);
    }
    if (bytes.size() % 2 != 0) append_utf8(out, 0xFFFD);
    return out;
}

TextFile split_text(std::string bytes) {
    TextFile file;
    // Notepad's "Unicode" (UTF-16 with its byte-order mark) is taken as the UTF-8 it stands for.
    if (std::string_view(bytes).starts_with("\xFF\xFE"))
        bytes = utf16_to_utf8(std::string_view(bytes).substr(2), false);
    else if (std::string_view(bytes).starts_with("\xFE\xFF"))
        bytes = utf16_to_utf8(std::string_view(bytes).substr(2), true);
    if (std::string_view(bytes).starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
    file.encoding = is_valid_utf8(bytes) ? Encoding::Utf8 : Encoding::ShiftJis;
    file.text = std::move(bytes);
    return file;
}

bool TextFile::next_line(std::size_t& pos, std::string_view& line) const {
    if (pos >= text.size()) return false;
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    line = std::string_view(text).substr(pos, end - pos);
    pos = end;
    if (pos < text.size()) {
        const bool crlf = text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n';
        pos += crlf ? 2 : 1;
    }
    return true;
}

std::vector<std::string> TextFile::lines() const {
    std::vector<std::string> out;
    std::string_view line;
    for (std::size_t pos = 0; next_line(pos, line);)
        out.emplace_back(line);
    return out;
}

}  // namespace ostrel
