#include "app/language.h"

#include <QCoreApplication>
#include <QTranslator>
#include <memory>

#include "save/settings_store.h"
#include "view/qt/core_text.h"

namespace ostrel::app {

namespace {

constexpr const char* kLanguageName = "Language";

Language in_use = Language::Japanese;

std::unique_ptr<QTranslator>& translator() {
    static std::unique_ptr<QTranslator> t;
    return t;
}

}  // namespace

std::optional<Language> language_named(const QString& name) {
    if (name == QLatin1String("ja")) return Language::Japanese;
    if (name == QLatin1String("en")) return Language::English;
    return std::nullopt;
}

QString language_code(Language language) {
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("ja");
}

Language stored_language(const SettingsStore& settings) {
    const std::string code = settings.read_text(kSettingsKey, kLanguageName);
    return language_named(QString::fromStdString(code)).value_or(Language::Japanese);
}

void store_language(SettingsStore& settings, Language language) {
    if (!settings.open_key(kSettingsKey)) return;
    settings.write_text(kSettingsKey, kLanguageName, language_code(language).toStdString());
}

bool use_language(Language language) {
    if (translator()) {
        QCoreApplication::removeTranslator(translator().get());
        translator().reset();
    }
    in_use = Language::Japanese;
    translate_core_texts(false);
    if (language == Language::Japanese) return true;
    auto t = std::make_unique<QTranslator>();
    if (!t->load(QStringLiteral(":/i18n/ostrel_en.qm"))) return false;
    QCoreApplication::installTranslator(t.get());
    translator() = std::move(t);
    translate_core_texts(true);
    in_use = language;
    return true;
}

Language language_in_use() {
    return in_use;
}

}  // namespace ostrel::app
