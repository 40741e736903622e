#pragma once
// The settings store kept with the system's settings through QSettings. A key
// "\Software\Ostrel\vantor" is organisation "Ostrel", application "vantor": on Windows the
// registry key of that name under the current user, on Linux ~/.config/Ostrel/vantor.conf.
// Texts are kept as UTF-8. UI thread.

#include <map>
#include <memory>
#include <string>

#include "save/settings_store.h"

class QSettings;

namespace ostrel {

class QtSettingsStore final : public SettingsStore {
  public:
    QtSettingsStore();
    ~QtSettingsStore() override;

    bool open_key(const std::string& key) override;
    std::optional<std::int32_t> read_int(const std::string& key,
                                         const std::string& name) const override;
    void write_int(const std::string& key, const std::string& name, std::int32_t value) override;
    std::string read_text(const std::string& key, const std::string& name) const override;
    void write_text(const std::string& key, const std::string& name,
                    const std::string& value) override;
    void write_texts(const std::string& key, const Texts& texts) override;
    void reload() override;

  private:
    // The QSettings of a key, made on first use; nothing for a key not under "\Software\".
    QSettings* settings(const std::string& key) const;
    mutable std::map<std::string, std::unique_ptr<QSettings>> open_;
};

}  // namespace ostrel
