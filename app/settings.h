#pragma once
// The per-user settings store: application "Kelvarin", section "Quorvane", text
// values. Every key the program keeps, with its default, stands in one table.
#include <QObject>
#include <QString>
#include <cstddef>
#include <future>
#include <iterator>
#include <memory>
#include <optional>

#include "app/settings_file.h"
#include "output/text_rows.h"

namespace quorvane {

struct SettingKey {
  const char* key;
  const char* fallback;  // the value read when the key is missing
};

inline constexpr SettingKey kSettingKeys[] = {
    {"Option1", "1"}, {"Option2", "0"}, {"Option3", "1"}, {"Option4", "0"},  {"Option5", "0"},
    {"Option6", "0"}, {"Option7", "1"}, {"Text1", ""},    {"Zip Codes", ""},
};

// The file's limits, those of a list file: more is not read.
inline constexpr qint64 kMaxSettingsFileBytes = 64LL << 20;

class SettingsStore {
 public:
  // The store in the user's configuration folder (QSettings::setPath moves it for
  // tests). The stored list is read up to `max_list_entries` entries.
  explicit SettingsStore(std::size_t max_list_entries = 20'000'000);
  ~SettingsStore();

  // The stored value, or the table's default for a missing key.
  QString read(const QString& key) const;
  // The stored list split into rows straight from the file's own UTF-8 bytes, when they
  // need no decoding: a list of a million entries is then read without a text a
  // character. nullopt otherwise (read() gives the list then).
  std::optional<TextRows> takeListRows();
  // Splits that list ahead, on the calling thread, for takeListRows() to hand over.
  void splitList();
  // Changes a value in memory; the file follows as soon as the event loop runs.
  void write(const QString& key, const QString& value);
  // Writes the values to the file (a new file beside it, renamed over it, so that the
  // old one stays whole when the new one cannot be written); false when they could not
  // be written, with the system's reason in `reason` ("No space left on device").
  bool sync(QString* reason = nullptr);

  // Set when the file could not be read whole: the one message for the user.
  const QString& problem() const { return problem_; }
  QString fileName() const { return file_; }

 private:
  void load(std::size_t max_list_entries);
  bool keepOriginal(QString* reason);

  QString file_;
  SettingsText text_;
  QString values_[std::size(kSettingKeys)];
  std::optional<QByteArrayView> plain_list_;  // the list, in place of its value
  bool present_[std::size(kSettingKeys)] = {};
  bool written_[std::size(kSettingKeys)] = {};
  bool pending_ = false;  // written since the last sync
  QString aside_;         // where the file as it was is to be kept; empty when not
  bool kept_ = false;     // whether it has been
  // The owner of a sync waiting for the event loop, made on the thread that writes: the
  // store may have been read on another.
  std::unique_ptr<QObject> deferred_;
  std::optional<TextRows> list_rows_;  // the plain list split ahead
  QString problem_;
};

// A store read, and its stored list split, on a thread of its own: the window's controls
// are built meanwhile. get() waits for it and passes on what the reading threw. A file
// smaller than `apart_from_bytes` is read by get() itself: a thread would cost more.
std::future<std::unique_ptr<SettingsStore>> load_settings_apart(std::size_t max_list_entries,
                                                                qint64 apart_from_bytes = qint64{1}
                                                                                          << 20);

// "True"/"False" in any letter case, or a number (zero false); nullopt otherwise.
std::optional<bool> truth_value(const QString& text);
inline QString truth_text(bool on) {
  return on ? QStringLiteral("True") : QStringLiteral("False");
}

}  // namespace quorvane
