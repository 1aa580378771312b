// Any bytes as the settings file: the store starts, either with what the file holds or
// with the file set aside; then what is written is what a new store reads back.
#include "app/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

// A failed check names itself before the abort that libFuzzer reports.
#define check(ok)                                                           \
  do {                                                                      \
    if (!(ok)) {                                                            \
      std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #ok); \
      std::abort();                                                         \
    }                                                                       \
  } while (false)

namespace {

QByteArray file_bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("\x01missing");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static QCoreApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  // A fresh folder each time: Qt keeps what it read of a file by its name.
  QTemporaryDir dir;
  check(dir.isValid());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
  const QString file = dir.filePath(QStringLiteral("Kelvarin.ini"));
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  {
    QFile f(file);
    check(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
  }

  // A value read from the file's own bytes reads as its decoding.
  for (int key = 0; key < int(std::size(quorvane::kSettingKeys)); ++key) {
    QStringList keys;
    for (const auto& k : quorvane::kSettingKeys) keys.append(QStringLiteral("Quorvane/") + k.key);
    quorvane::SettingsText text(keys);
    if (!text.parse(bytes)) break;
    if (const auto plain = text.plainValue(key)) check(text.value(key)->toUtf8() == *plain);
  }

  QString list;
  {
    quorvane::SettingsStore store;
    if (!store.problem().isEmpty()) {
      check(file_bytes(file + QStringLiteral(".unreadable")) == bytes);
      // Lines that read are kept beside lines that do not: a file of one section with
      // one plain Option1 line keeps its value.
      if (store.problem().contains(QStringLiteral("could not be read whole"))) {
        const QList<QByteArray> lines = bytes.split('\n');
        qsizetype option_lines = 0, sections = 0;
        for (const QByteArray& line : lines) {
          option_lines += line.startsWith("Option1");
          sections += line.startsWith('[');
        }
        if (lines.first() == "[Quorvane]" && sections == 1 && option_lines == 1 &&
            lines.contains("Option1=True"))
          check(store.read(QStringLiteral("Option1")) == QStringLiteral("True"));
      }
    }
    // The restore: the stored list, its pieces, the options' truth values.
    list = store.read(QStringLiteral("Zip Codes"));
    for (const auto& k : quorvane::kSettingKeys) (void)quorvane::truth_value(store.read(k.key));
    QString joined;
    for (const QString& piece : list.split(QLatin1Char(';')))
      if (!piece.isEmpty()) joined += piece + QLatin1Char(';');
    list = joined;
    store.write(QStringLiteral("Zip Codes"), list);
    store.write(QStringLiteral("Text1"), QString::fromUtf8(bytes.left(64)));
    check(store.sync());
  }
  quorvane::SettingsStore again;
  check(again.problem().isEmpty());
  check(again.read(QStringLiteral("Zip Codes")) == list);
  check(again.read(QStringLiteral("Text1")) == QString::fromUtf8(bytes.left(64)));
  return 0;
}
