#include "app/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <algorithm>
#include <utility>
#include <vector>

#include "engine/regular_file.h"

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

std::unique_ptr<QSettings> open_store() {
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                     QStringLiteral("Kelvarin"));
}

// Where the store's file is, found without reading it: Qt opens the file as soon as a
// store is made, and the open of a named pipe would never return.
QString store_file_name() {
  const QSettings elsewhere(QSettings::IniFormat, QSettings::UserScope,
                            QStringLiteral("Kelvarin.where"));
  return QFileInfo(elsewhere.fileName()).path() + QStringLiteral("/Kelvarin.ini");
}

bool is_irregular(const QString& file) {
  return !irregular_kind(QFile::encodeName(file).toStdString()).empty();
}

// Whether the store's file cannot be read. Qt reports a file it cannot parse only once
// something is read, so this reads.
bool is_unreadable(QSettings& settings) {
  settings.allKeys();
  return settings.status() != QSettings::NoError;
}

// Whether Qt reads back each of `keys` after writing it. It reads some keys it cannot
// write: "a/" goes out as "a\", and then the whole file is unreadable to it.
QStringList keys_written_back(const QStringList& keys) {
  QTemporaryDir dir;
  if (!dir.isValid()) return keys;
  static int probes = 0;  // each probe a new file: Qt keeps what it read by the file's name
  const QString file = dir.filePath(QStringLiteral("keys%1.ini").arg(++probes));
  {
    QSettings probe(file, QSettings::IniFormat);
    for (const QString& key : keys) probe.setValue(key, QString());
  }
  QSettings back(file, QSettings::IniFormat);
  QStringList kept = back.allKeys();
  if (back.status() != QSettings::NoError) kept.clear();
  return kept;
}

// The keys of `settings` that Qt cannot write back, each tried on its own.
QStringList keys_qt_cannot_write(const QSettings& settings) {
  const QStringList keys = settings.allKeys();
  const QStringList back = keys_written_back(keys);
  if (std::all_of(keys.begin(), keys.end(), [&](const QString& k) { return back.contains(k); }))
    return {};
  QStringList lost;
  constexpr int kMostKeysTried = 1000;
  for (int i = 0; i < keys.size(); ++i)
    if (i >= kMostKeysTried || !keys_written_back({keys[i]}).contains(keys[i]))
      lost.append(keys[i]);
  return lost;
}

// Whether the file holds every value of the store, read afresh. Stores of one file
// share what Qt read of it, so the file is read through another name.
bool written_back(const QSettings& settings) {
  std::unique_ptr<RegularFile> file;
  try {
    file = std::make_unique<RegularFile>(QFile::encodeName(settings.fileName()).toStdString());
  } catch (const std::exception&) {
    return false;
  }
  QSettings written(QStringLiteral("/proc/self/fd/%1").arg(file->fd()), QSettings::IniFormat);
  if (is_unreadable(written)) return false;
  for (const auto& k : kSettingKeys) {
    const QString key = kGroup + QLatin1Char('/') + QLatin1String(k.key);
    if (written.value(key) != settings.value(key)) return false;
  }
  return true;
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

SettingsStore::SettingsStore() {
  const QString file = store_file_name();
  const QString aside = free_aside_name(file);
  if (!is_irregular(file)) {
    settings_ = open_store();
    if (!is_unreadable(*settings_)) {
      const QStringList lost = keys_qt_cannot_write(*settings_);
      if (lost.isEmpty()) return;
      // Qt cannot even remove such a key: the others go to a new file.
      std::vector<std::pair<QString, QVariant>> kept;
      for (const QString& key : settings_->allKeys())
        if (!lost.contains(key)) kept.emplace_back(key, settings_->value(key));
      settings_.reset();
      QFile::rename(file, aside);
      settings_ = open_store();
      for (const auto& [key, value] : kept) settings_->setValue(key, value);
      problem_ = QStringLiteral(
                     "The settings file %1 holds settings that cannot be saved again (%2). "
                     "Quorvane keeps the others; the whole file was kept as %3.")
                     .arg(file, lost.join(QStringLiteral(", ")).left(200), aside);
      return;
    }
  }
  problem_ = QStringLiteral(
                 "The settings file %1 could not be read. Quorvane starts with its "
                 "default settings; the unreadable file was kept as %2.")
                 .arg(file, aside);
  // Keep the unreadable file for the user and start from an empty store.
  settings_.reset();
  QFile::rename(file, aside);
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
  // Qt reads the file again before it writes; a named pipe put there would block it.
  const std::string kind = irregular_kind(QFile::encodeName(settings_->fileName()).toStdString());
  if (!kind.empty()) {
    if (reason) *reason = QStringLiteral("it is %1, not a regular file").arg(kind.c_str());
    return false;
  }
  settings_->sync();
  // Qt takes a short write (a disk that fills up half way) for success, and a file it
  // could not parse before writing over it for a failure: what counts is what is there.
  if (settings_->status() != QSettings::AccessError && written_back(*settings_)) return true;
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
