#include "settings.h"

#include <QFile>
#include <QFileInfo>

namespace quorvane {
namespace {

const QString kGroup = QStringLiteral("Quorvane");

const char* fallback_for(const QString& key) {
  for (const auto& k : kSettingKeys)
    if (key == QLatin1String(k.key)) return k.fallback;
  return "";
}

// A name to keep an unreadable settings file under that no earlier one has taken:
// FILE.unreadable, then FILE.unreadable.2, .3 and so on.
QString free_aside_name(const QString& file) {
  const QString first = file + QStringLiteral(".unreadable");
  QString name = first;
  for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
    name = first + QLatin1Char('.') + QString::number(n);
  return name;
}

}  // namespace

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("Kelvarin"))) {
  if (settings_->status() == QSettings::NoError) return;
  const QString file = settings_->fileName();
  const QString aside = free_aside_name(file);
  problem_ = QStringLiteral(
                 "The settings file %1 could not be read. Quorvane starts with its "
                 "default settings; the unreadable file was kept as %2.")
                 .arg(file, aside);
  // Keep the unreadable file for the user and start from an empty store.
  settings_.reset();
  QFile::rename(file, aside);
  settings_ = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                          QStringLiteral("Kelvarin"));
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::fileName() const {
  return settings_->fileName();
}

QString SettingsStore::read(const QString& key) const {
  const QVariant v = settings_->value(kGroup + QLatin1Char('/') + key);
  if (!v.isValid()) return QString::fromLatin1(fallback_for(key));
  // An unquoted value with commas reads back as a list; it was one text.
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(QStringLiteral(", "));
  return v.toString();
}

void SettingsStore::write(const QString& key, const QString& value) {
  settings_->setValue(kGroup + QLatin1Char('/') + key, value);
}

bool SettingsStore::sync() {
  settings_->sync();
  return settings_->status() == QSettings::NoError;
}

std::optional<bool> truth_value(const QString& text) {
  const QString t = text.trimmed();
  if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
  if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
  bool ok = false;
  const double v = t.toDouble(&ok);
  if (ok) return v != 0;
  return std::nullopt;
}

}  // namespace quorvane
