#include "text_export.h"

#include <QSaveFile>
#include <algorithm>
#include <vector>

#include "aligned_text.h"
#include "error_trap.h"
#include "text.h"

namespace quorvane {
namespace {

constexpr qsizetype kChunk = 1 << 16;

class ChunkWriter {
 public:
  explicit ChunkWriter(QIODevice& out) : out_(out) { buf_.reserve(kChunk + 4096); }
  void line(const std::string& s) {
    buf_.append(s.data(), static_cast<qsizetype>(s.size()));
    if (buf_.size() >= kChunk) flush();
  }
  bool flush() {
    if (!ok_ || buf_.isEmpty()) return ok_;
    ok_ = out_.write(buf_) == buf_.size();
    buf_.clear();
    return ok_;
  }
  bool ok() const { return ok_; }

 private:
  QIODevice& out_;
  QByteArray buf_;
  bool ok_ = true;
};

}  // namespace

bool write_spaced(const ListSource& list, QIODevice& out, Progress* progress,
                  const QString& caption, Yielder& yield, QString* error, int* failed_line) {
  auto step = [&](double value, const QString& text) {
    if (!progress) return;
    yield.maybe();
    progress->setProgressValue(value);
    progress->setProgressText(text);
    yield.maybe();
  };
  step(1, caption);

  const int columns = list.columns();
  std::vector<std::size_t> widths;
  for (int c = 0; c < columns; ++c) {
    std::size_t w = 0;
    widen_column(w, list.header(c));
    const std::size_t rows = list.rows();
    for (std::size_t r = 0; r < rows && r < list.rows(); ++r) {
      yield.maybe();
      if (r >= list.rows()) break;  // rows removed while we yielded
      widen_column(w, list.cell(r, c));
    }
    widths.push_back(w);
  }
  step(10, caption);

  ChunkWriter writer(out);
  std::string line;
  for (int c = 0; c < columns; ++c) append_aligned_cell(line, list.header(c), widths[c]);
  end_aligned_line(line);
  writer.line(line);
  if (!writer.ok()) {
    *failed_line = 170;
    *error = out.errorString();
    return false;
  }
  step(20, caption);

  const std::size_t rows = list.rows();
  for (std::size_t r = 0; r < rows; ++r) {
    yield.maybe();
    if (r >= list.rows()) break;  // the list shrank while we yielded
    if (!list.checked(r)) continue;
    line.clear();
    for (int c = 0; c < columns; ++c) append_aligned_cell(line, list.cell(r, c), widths[c]);
    end_aligned_line(line);
    if (progress) {
      // The count is read afresh, as the list may have changed; past 100 is held at 100.
      const std::size_t m = list.rows();
      const auto n = static_cast<long long>(r + 1);
      const auto sum = static_cast<double>(n + static_cast<long long>(m / 2000));
      progress->setProgressValue(std::min(100.0, sum / static_cast<double>(m) * 100.0));
      if (n % 1000 == 0) progress->setProgressText(caption + " (" + QString::number(n) + ")");
    }
    writer.line(line);
    if (!writer.ok()) {
      *failed_line = 222;
      *error = out.errorString();
      return false;
    }
  }
  if (!writer.flush()) {
    *failed_line = 222;
    *error = out.errorString();
    return false;
  }
  return true;
}

bool SaveListviewProperlySpaced(const ListSource& list, const QString& path, Progress* progress,
                                Yielder& yield) {
  Trap trap("Main", "SaveListviewProperlySpaced");
  const QString caption =
      "Writing file: " + QString::fromStdString(std::string(file_name_part(path.toStdString())));
  auto finish = [&](bool done) {
    if (!progress) return;
    if (done) {
      progress->setProgressValue(100);
      progress->setProgressText(QStringLiteral("Done."));
    }
    progress->setProgressValue(0);
    progress->setProgressText(kProgressIdleText);
  };

  // The new file replaces the old one only once it is complete.
  QSaveFile file(path);
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) {
    trap.fail(156, "Cannot create the file " + path.toStdString() + ": " +
                       file.errorString().toStdString());
    finish(false);
    return false;
  }
  QString error;
  int line = 0;
  if (!write_spaced(list, file, progress, caption, yield, &error, &line)) {
    file.cancelWriting();
    trap.fail(line, "Cannot write the file " + path.toStdString() + ": " + error.toStdString());
    finish(false);
    return false;
  }
  if (progress) {
    progress->setProgressValue(100);
    progress->setProgressText(QStringLiteral("Done."));
  }
  if (!file.commit()) {
    trap.fail(232, "Cannot write the file " + path.toStdString() + ": " +
                       file.errorString().toStdString());
    finish(false);
    return false;
  }
  finish(false);
  return true;
}

}  // namespace quorvane
