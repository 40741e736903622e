#include "save/qt/qt_settings.h"

#include <QSettings>
#include <QString>
#include <QStringList>

#include <limits>

namespace ostrel {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

QtSettingsStore::QtSettingsStore() = default;
QtSettingsStore::~QtSettingsStore() = default;

QSettings* QtSettingsStore::settings(const std::string& key) const {
    if (auto it = open_.find(key); it != open_.end()) return it->second.get();
    // "\Software\Organisation\Application"
    const QStringList parts = q(key).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (parts.size() != 3 || parts[0].compare(QLatin1String("Software"), Qt::CaseInsensitive))
        return nullptr;
    auto made = std::make_unique<QSettings>(QSettings::UserScope, parts[1], parts[2]);
    return open_.emplace(key, std::move(made)).first->second.get();
}

bool QtSettingsStore::open_key(const std::string& key) {
    QSettings* s = settings(key);
    return s && s->status() != QSettings::AccessError && s->isWritable();
}

std::optional<std::int32_t> QtSettingsStore::read_int(const std::string& key,
                                                      const std::string& name) const {
    QSettings* s = settings(key);
    if (!s) return std::nullopt;
    const QVariant v = s->value(q(name));
    if (!v.isValid()) return std::nullopt;
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok || n < std::numeric_limits<std::int32_t>::min() ||
        n > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(n);
}

void QtSettingsStore::write_int(const std::string& key, const std::string& name,
                                std::int32_t value) {
    if (QSettings* s = settings(key)) {
        s->setValue(q(name), value);
        s->sync();
    }
}

std::string QtSettingsStore::read_text(const std::string& key, const std::string& name) const {
    QSettings* s = settings(key);
    if (!s) return {};
    const QVariant v = s->value(q(name));
    // A text with commas written into the file by hand, without quotes, is read back as a list
    // of its parts: it is still the one text.
    if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(u',').toStdString();
    return v.toString().toStdString();
}

void QtSettingsStore::write_texts(const std::string& key, const Texts& texts) {
    if (QSettings* s = settings(key)) {
        for (const auto& [name, value] : texts)
            s->setValue(q(name), q(value));
        s->sync();
    }
}

void QtSettingsStore::reload() {
    // sync() also reads what others have written to the same file since.
    for (auto& [key, s] : open_)
        s->sync();
}

void QtSettingsStore::write_text(const std::string& key, const std::string& name,
                                 const std::string& value) {
    if (QSettings* s = settings(key)) {
        s->setValue(q(name), q(value));
        s->sync();
    }
}

}  // namespace ostrel
