#pragma once
// The per-user settings store: application "Kelvarin", section "Quorvane", text
// values. Every key the program keeps, with its default, stands in one table.
#include <QSettings>
#include <QString>
#include <memory>
#include <optional>

namespace quorvane {

struct SettingKey {
  const char* key;
  const char* fallback;  // the value read when the key is missing
};

inline constexpr SettingKey kSettingKeys[] = {
    {"Option1", "1"}, {"Option2", "0"}, {"Option3", "1"}, {"Option4", "0"},  {"Option5", "0"},
    {"Option6", "0"}, {"Option7", "1"}, {"Text1", ""},    {"Zip Codes", ""},
};

class SettingsStore {
 public:
  // The store in the user's configuration folder (QSettings::setPath moves it for tests).
  SettingsStore();
  ~SettingsStore();

  // The stored value, or the table's default for a missing key.
  QString read(const QString& key) const;
  void write(const QString& key, const QString& value);
  // Writes pending values to the file; false when they could not be written, with the
  // system's reason in `reason` ("No space left on device").
  bool sync(QString* reason = nullptr);

  // Set when the file could not be read: the program goes on with the defaults.
  const QString& problem() const { return problem_; }
  QString fileName() const;

 private:
  std::unique_ptr<QSettings> settings_;
  QString problem_;
};

// "True"/"False" in any letter case, or a number (zero false); nullopt otherwise.
std::optional<bool> truth_value(const QString& text);
inline QString truth_text(bool on) {
  return on ? QStringLiteral("True") : QStringLiteral("False");
}

}  // namespace quorvane
