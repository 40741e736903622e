#pragma once
// The per-user settings store: keys holding named 32-bit integers and texts. The desktop program
// keeps it with the system's settings; the headless runner in memory or in a file.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>

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
// backslashes escaped. A file that cannot be read starts empty.
class FileSettings final : public MemorySettings {
  public:
    explicit FileSettings(std::filesystem::path file);
    bool open_key(const std::string& key) override;
    void write_int(const std::string& key, const std::string& name, std::int32_t value) override;
    void write_text(const std::string& key, const std::string& name,
                    const std::string& value) override;
    bool saved() const { return saved_; }

  private:
    void save();
    std::filesystem::path file_;
    bool saved_ = true;
};

}  // namespace ostrel
