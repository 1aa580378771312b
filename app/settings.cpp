#include "app/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <type_traits>
#include <utility>

#include "engine/regular_file.h"
#include "output/byte_count.h"

namespace quorvane {
namespace {

constexpr int kZipCodes = 8;  // the list's place in kSettingKeys

QStringList whole_keys() {
  QStringList keys;
  for (const auto& k : kSettingKeys) keys.append(QStringLiteral("Quorvane/") + k.key);
  return keys;
}

int key_index(const QString& key) {
  for (int i = 0; i < int(std::size(kSettingKeys)); ++i)
    if (key == QLatin1String(kSettingKeys[i].key)) return i;
  return -1;
}

QString system_reason(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

// A name to keep the settings file as it was under that no earlier one has taken:
// FILE.unreadable, then FILE.unreadable.2, .3 and so on.
QString free_aside_name(const QString& file) {
  const QString first = file + QStringLiteral(".unreadable");
  QString name = first;
  for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
    name = first + QLatin1Char('.') + QString::number(n);
  return name;
}

// Where the store's file is, found without reading it.
QString store_file_name() {
  const QSettings elsewhere(QSettings::IniFormat, QSettings::UserScope,
                            QStringLiteral("Kelvarin.where"));
  return QFileInfo(elsewhere.fileName()).path() + QStringLiteral("/Kelvarin.ini");
}

// At most `limit` + 1 bytes of the file, so that a larger one is seen to be larger.
QByteArray read_bounded(const QString& file, qint64 limit) {
  RegularFile in(QFile::encodeName(file).toStdString());
  QByteArray bytes;
  // Room for the whole file at once (and a byte more, to see it end), when it tells its
  // size; otherwise a megabyte at a time.
  struct stat info {};
  const qint64 known = ::fstat(in.fd(), &info) == 0 ? std::min<qint64>(info.st_size, limit) : 0;
  for (qint64 got = 0; got <= limit;) {
    bytes.resize(std::min<qint64>(limit + 1, std::max(got + (1 << 20), known + 1)));
    const ssize_t n = ::read(in.fd(), bytes.data() + got, std::size_t(bytes.size() - got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw std::runtime_error(std::strerror(errno));
    if (n == 0) {
      bytes.truncate(got);
      break;
    }
    got += n;
    if (got == bytes.size() && got > limit) break;
  }
  return bytes;
}

// The list cut after its `most`-th entry (empty pieces are no entries); nullopt when
// it holds no more than that. `List` is a QString or its UTF-8 bytes.
template <class List>
std::optional<qsizetype> end_of_entries(const List& list, std::size_t most) {
  std::size_t separators = 0;
  if constexpr (std::is_same_v<List, QByteArrayView>)
    separators = count_byte(std::string_view(list.data(), std::size_t(list.size())), ';');
  else
    separators = static_cast<std::size_t>(std::count(list.begin(), list.end(), u';'));
  if (separators < most) return {};  // no more pieces than that
  std::size_t entries = 0;
  qsizetype piece = 0;
  for (qsizetype i = 0; i <= list.size(); ++i) {
    if (i < list.size() && list[i] != u';') continue;
    if (i > piece && ++entries > most) return piece;
    piece = i + 1;
  }
  return std::nullopt;
}

// Writes `bytes` to a new file beside `file` and renames it over `file`: a write that
// fails leaves the old file whole. The mode of the old file is kept.
QString replace_file(const QString& file, const QByteArray& bytes) {
  const QFileInfo info(file);
  const QString target = info.isSymLink() ? info.symLinkTarget() : file;
  const QString folder = QFileInfo(target).absolutePath();
  if (!QDir().mkpath(folder)) return QStringLiteral("its folder %1 cannot be made").arg(folder);
  const std::string kind = irregular_kind(QFile::encodeName(target).toStdString());
  if (!kind.empty()) return QStringLiteral("it is %1, not a regular file").arg(kind.c_str());
  QByteArray temp = QFile::encodeName(folder + QStringLiteral("/.Kelvarin.ini.XXXXXX"));
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return system_reason(errno);
  struct stat old {};
  mode_t mode = 0;
  if (::stat(QFile::encodeName(target).constData(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    mode = ::umask(0);
    ::umask(mode);
    mode = 0666 & ~mode;
  }
  int error = 0;
  for (qsizetype done = 0; done < bytes.size() && !error;) {
    const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
    if (n < 0 && errno != EINTR) error = errno;
    if (n > 0) done += n;
  }
  if (!error && ::fchmod(fd, mode) != 0) error = errno;
  if (!error && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && !error) error = errno;
  if (!error && ::rename(temp.constData(), QFile::encodeName(target).constData()) != 0)
    error = errno;
  if (!error) return {};
  ::unlink(temp.constData());
  return system_reason(error);
}

}  // namespace

SettingsStore::SettingsStore(std::size_t max_list_entries)
    : file_(store_file_name()), text_(whole_keys()) {
  load(max_list_entries);
}

SettingsStore::~SettingsStore() {
  if (pending_) sync();
}

void SettingsStore::load(std::size_t max_list_entries) {
  const QFileInfo info(file_);
  if (!info.exists() && !info.isSymLink()) return;  // the first start
  QByteArray bytes;
  bool read = true;
  try {
    bytes = read_bounded(file_, kMaxSettingsFileBytes);
  } catch (const std::exception&) {
    read = false;
  }
  const bool cut = bytes.size() > kMaxSettingsFileBytes;
  if (cut) bytes.truncate(kMaxSettingsFileBytes);
  if (!read || !text_.parse(std::move(bytes))) {
    // Keep the unreadable file for the user and start from an empty store.
    const QString aside = free_aside_name(file_);
    problem_ = QStringLiteral(
                   "The settings file %1 could not be read. Quorvane starts with its "
                   "default settings; the unreadable file was kept as %2.")
                   .arg(file_, aside);
    QFile::rename(file_, aside);
    text_.parse({});
    return;
  }
  plain_list_ = text_.plainValue(kZipCodes);
  // A list whose last entry the limit may have cut is read as a text.
  if (cut && text_.keyAtEnd() == kZipCodes) plain_list_.reset();
  for (int i = 0; i < int(std::size(kSettingKeys)); ++i) {
    if (i == kZipCodes && plain_list_) {
      present_[i] = true;
      continue;
    }
    const auto value = text_.value(i);
    present_[i] = value.has_value();
    if (value) values_[i] = *value;
  }
  QStringList notes;
  if (text_.skippedLines() == 1)
    notes.append(
        QStringLiteral("Line %1 could not be read and was skipped.").arg(text_.firstSkippedLine()));
  else if (text_.skippedLines() > 1)
    notes.append(QStringLiteral("%1 lines could not be read and were skipped (the first is "
                                "line %2).")
                     .arg(text_.skippedLines())
                     .arg(text_.firstSkippedLine()));
  if (cut) {
    // The last line read may end in the middle of a value: the list keeps its whole
    // entries; another value is left out.
    const int at_end = text_.keyAtEnd();
    if (at_end == kZipCodes)
      values_[kZipCodes].truncate(values_[kZipCodes].lastIndexOf(QLatin1Char(';')) + 1);
    else if (at_end >= 0)
      present_[at_end] = false;
    notes.append(QStringLiteral("It is larger than a settings file may be (%1 bytes, 64 MB): "
                                "only its first 64 MB were read.")
                     .arg(kMaxSettingsFileBytes));
  }
  if (const auto end = plain_list_ ? end_of_entries(*plain_list_, max_list_entries)
                                   : end_of_entries(values_[kZipCodes], max_list_entries)) {
    if (plain_list_)
      plain_list_ = plain_list_->first(*end);
    else
      values_[kZipCodes].truncate(*end);
    notes.append(QStringLiteral("Its zip code list holds more than the list's %1 entries: "
                                "only the first %1 were loaded.")
                     .arg(max_list_entries));
  }
  if (notes.isEmpty()) return;
  aside_ = free_aside_name(file_);
  QString reason;
  const QString kept = keepOriginal(&reason)
                           ? QStringLiteral("The whole file was kept as %1.").arg(aside_)
                           : QStringLiteral(
                                 "The whole file could not be kept as %1 (%2), so "
                                 "the settings will not be saved.")
                                 .arg(aside_, reason);
  problem_ = QStringLiteral("The settings file %1 could not be read whole. ").arg(file_) +
             notes.join(QLatin1Char(' ')) + QLatin1Char(' ') + kept;
}

// Keeps the file as it was under aside_ (a second name for it, or a copy), once.
bool SettingsStore::keepOriginal(QString* reason) {
  if (aside_.isEmpty() || kept_) return true;
  const QByteArray from = QFile::encodeName(file_), to = QFile::encodeName(aside_);
  if (::link(from.constData(), to.constData()) == 0 || QFile::copy(file_, aside_)) {
    kept_ = true;
    return true;
  }
  *reason = system_reason(errno);
  return false;
}

QString SettingsStore::read(const QString& key) const {
  const int i = key_index(key);
  if (i < 0) return {};
  if (i == kZipCodes && plain_list_) return QString::fromUtf8(*plain_list_);
  return present_[i] ? values_[i] : QString::fromLatin1(kSettingKeys[i].fallback);
}

void SettingsStore::splitList() {
  if (!plain_list_ || list_rows_) return;
  list_rows_.emplace();
  append_pieces(std::string_view(plain_list_->data(), std::size_t(plain_list_->size())), ';',
                list_rows_->buffer, list_rows_->ends);
}

std::optional<TextRows> SettingsStore::takeListRows() {
  splitList();
  return std::exchange(list_rows_, std::nullopt);
}

void SettingsStore::write(const QString& key, const QString& value) {
  const int i = key_index(key);
  if (i < 0) return;
  values_[i] = value;
  if (i == kZipCodes) {
    plain_list_.reset();
    list_rows_.reset();
  }
  present_[i] = written_[i] = true;
  if (pending_) return;
  pending_ = true;
  if (!deferred_) deferred_ = std::make_unique<QObject>();
  QTimer::singleShot(0, deferred_.get(), [this] {
    if (pending_) sync();
  });
}

bool SettingsStore::sync(QString* reason) {
  QString why;
  if (keepOriginal(&why)) {
    std::vector<std::pair<int, QString>> changed;
    for (int i = 0; i < int(std::size(kSettingKeys)); ++i)
      if (written_[i]) changed.emplace_back(i, values_[i]);
    if (changed.empty()) return true;
    why = replace_file(file_, text_.render(changed));
    if (why.isEmpty()) {
      pending_ = false;
      return true;
    }
  } else {
    why = QStringLiteral("the file as it was could not be kept as %1 first: %2").arg(aside_, why);
  }
  if (reason) *reason = why;
  return false;
}

std::future<std::unique_ptr<SettingsStore>> load_settings_apart(std::size_t max_list_entries,
                                                                qint64 apart_from_bytes) {
  auto load = [max_list_entries] {
    auto store = std::make_unique<SettingsStore>(max_list_entries);
    store->splitList();
    return store;
  };
  if (QFileInfo(store_file_name()).size() < apart_from_bytes)
    return std::async(std::launch::deferred, load);
  // Qt takes the first thread that uses it for the program's main thread: that must be
  // the caller, not the reading thread.
  (void)QThread::currentThread();
  try {
    return std::async(std::launch::async, load);
  } catch (const std::system_error&) {  // no thread to be had: read when asked
    return std::async(std::launch::deferred, load);
  }
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
