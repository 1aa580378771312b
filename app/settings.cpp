#include "settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>

#include "regular_file.h"

namespace quorvane {
namespace {

const QString kGroup = QStringLiteral("Quorvane");

const char* fallback_for(const QString& key) {
  for (const auto& k : kSettingKeys)
    if (key == QLatin1String(k.key)) return k.fallback;
  return "";
}

std::unique_ptr<QSettings> open_store() {
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                     QStringLiteral("Kelvarin"));
}

// Whether the settings file is there but cannot be read. A named pipe or a device would
// block or never end, so only a regular file is handed to Qt; Qt reads the file on first
// use, not when the store is made, so the check reads it.
bool is_unreadable(QSettings& settings) {
  if (!irregular_kind(QFile::encodeName(settings.fileName()).toStdString()).empty()) return true;
  settings.allKeys();
  return settings.status() != QSettings::NoError;
}

// The system's reason why a file of `bytes` bytes cannot be written beside `file`.
QString write_problem(const QString& file, qint64 bytes) {
  const QFileInfo info(file);
  if (!QDir().mkpath(info.absolutePath()))
    return QStringLiteral("its folder %1 cannot be made").arg(info.absolutePath());
  QTemporaryFile probe(info.absolutePath() + QStringLiteral("/.Kelvarin.XXXXXX"));
  if (!probe.open()) return probe.errorString();
  const QByteArray block(1 << 16, ' ');
  for (qint64 left = bytes; left > 0; left -= block.size())
    if (probe.write(block.constData(), std::min<qint64>(left, block.size())) < 0)
      return probe.errorString();
  if (!probe.flush()) return probe.errorString();
  return {};
}

}  // namespace

SettingsStore::SettingsStore() : settings_(open_store()) {
  if (!is_unreadable(*settings_)) return;
  const QString file = settings_->fileName();
  problem_ = QStringLiteral(
                 "The settings file %1 could not be read. Quorvane starts with its "
                 "default settings; the unreadable file was kept as %1.unreadable.")
                 .arg(file);
  // Keep the unreadable file for the user and start from an empty store.
  settings_.reset();
  QFile::remove(file + QStringLiteral(".unreadable"));
  QFile::rename(file, file + QStringLiteral(".unreadable"));
  settings_ = open_store();
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

bool SettingsStore::sync(QString* reason) {
  settings_->sync();
  switch (settings_->status()) {
    case QSettings::NoError:
      return true;
    case QSettings::FormatError: {
      // A file changed behind us that Qt could not merge is still written over; the
      // save failed only if what is there now cannot be read back.
      QSettings written(settings_->fileName(), QSettings::IniFormat);
      if (!is_unreadable(written)) return true;
      break;
    }
    case QSettings::AccessError:
      break;
  }
  if (reason) {
    qint64 bytes = 0;
    for (const auto& k : kSettingKeys) bytes += read(QLatin1String(k.key)).size() * 3 + 64;
    *reason = write_problem(settings_->fileName(), bytes);
    if (reason->isEmpty()) *reason = QStringLiteral("the file could not be written");
  }
  return false;
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
