#pragma once
// The per-user settings store: keys holding named 32-bit integers and texts. The desktop program
// keeps it with the system's settings; the headless runner in memory or in a file.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ostrel {

inline constexpr const char* kSettingsKey = "\\Software\\Ostrel\\vantor";

class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // False when the key cannot be opened or created; nothing is read or written then.
    virtual bool open_key(const std::string& key) = 0;
    virtual std::optional<std::int32_t> read_int(const std::string& key,
                                                 const std::string& name) const = 0;
    virtual void write_int(const std::string& key, const std::string& name, std::int32_t value) = 0;
    // A missing text reads as empty.
    virtual std::string read_text(const std::string& key, const std::string& name) const = 0;
    virtual void write_text(const std::string& key, const std::string& name,
                            const std::string& value) = 0;
    // Several texts kept together: a store that writes to disk writes them in one go, so that
    // a crash cannot keep one without the others.
    using Texts = std::vector<std::pair<std::string, std::string>>;
    virtual void write_texts(const std::string& key, const Texts& texts) {
        for (const auto& [name, value] : texts)
            write_text(key, name, value);
    }
    // Takes in what another copy of the program has written since this one last read.
    virtual void reload() {}
};

class MemorySettings : public SettingsStore {
  public:
    bool open_key(const std::string&) override { return true; }
    std::optional<std::int32_t> read_int(const std::string& key,
                                         const std::string& name) const override;
    void write_int(const std::string& key, const std::string& name, std::int32_t value) override;
    std::string read_text(const std::string& key, const std::string& name) const override;
    void write_text(const std::string& key, const std::string& name,
                    const std::string& value) override;

  protected:
    std::map<std::pair<std::string, std::string>, std::int32_t> ints_;
    std::map<std::pair<std::string, std::string>, std::string> texts_;
};

// Kept in a text file, written after every change: one value a line,
// "i<TAB>key<TAB>name<TAB>value" or "s<TAB>key<TAB>name<TAB>value" with tabs, line ends and
// backslashes escaped. A file that cannot be read starts empty. The file is replaced whole (a
// new file renamed over the old), so that a crash while saving leaves the old one.
class FileSettings final : public MemorySettings {
  public:
    explicit FileSettings(std::filesystem::path file);
    bool open_key(const std::string& key) override;
    void write_int(const std::string& key, const std::string& name, std::int32_t value) override;
    void write_text(const std::string& key, const std::string& name,
                    const std::string& value) override;
    void write_texts(const std::string& key, const Texts& texts) override;
    bool saved() const { return saved_; }

  private:
    void save();
    std::filesystem::path file_;
    bool saved_ = true;
};

}  // namespace ostrel
