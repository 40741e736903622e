#pragma once
// The language the program itself speaks: Japanese, its own, or English through Qt's
// translations. Texts from the data files (line and station names, the string file's
// captions, a line's hints) are shown as written in either. UI thread.

#include <QString>
#include <optional>
#include <string>

namespace ostrel {
class SettingsStore;
}

namespace ostrel::app {

enum class Language { Japanese, English };

// "ja" or "en"; nothing for another name.
std::optional<Language> language_named(const QString& name);
QString language_code(Language language);

// The choice kept with the settings; Japanese when none was made, whatever the system's locale.
Language stored_language(const SettingsStore& settings);
void store_language(SettingsStore& settings, Language language);

// Puts the language in use for every text made from now on; false when its translation could
// not be read (the program then speaks Japanese).
bool use_language(Language language);
Language language_in_use();

}  // namespace ostrel::app
