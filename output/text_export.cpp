#include "output/text_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "engine/error_trap.h"
#include "engine/text.h"
#include "format/aligned_text.h"
#include "output/file_size_signal.h"

namespace quorvane {
namespace {

constexpr char kChangedWhileSaving[] = "The results list changed while it was being saved";

constexpr qsizetype kChunk = 1 << 16;

class ChunkWriter {
 public:
  explicit ChunkWriter(QIODevice& out) : out_(out) { buf_.reserve(kChunk + 4096); }
  void line(const std::string& s) {
    buf_.append(s.data(), static_cast<qsizetype>(s.size()));
    if (buf_.size() >= kChunk) flush();
  }
  bool flush() {
    // A write cut short (at a size limit) is no error yet; the next one says why it stopped.
    for (qsizetype at = 0; ok_ && at < buf_.size();) {
      const qint64 n = out_.write(buf_.constData() + at, buf_.size() - at);
      ok_ = n > 0;
      at += n;
    }
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

  const std::uint64_t changes = list.changes();
  const int columns = list.columns();
  std::vector<std::size_t> widths;
  for (int c = 0; c < columns; ++c) {
    std::size_t w = 0;
    widen_column(w, list.header(c));
    const std::size_t rows = list.rows();
    for (std::size_t r = 0; r < rows; ++r) {
      yield.maybe();
      check_unchanged(list, changes, c == 0 ? 126 : 130, kChangedWhileSaving);
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
    check_unchanged(list, changes, 188, kChangedWhileSaving);
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

namespace {

// What stands at `path` when it is neither a file nor missing, for the message.
QString kind_of_special(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return QStringLiteral("not a file");
  if (S_ISDIR(st.st_mode)) return QStringLiteral("a folder");
  if (S_ISFIFO(st.st_mode)) return QStringLiteral("a named pipe, not a regular file");
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
    return QStringLiteral("a device, not a regular file");
  if (S_ISSOCK(st.st_mode)) return QStringLiteral("a socket, not a regular file");
  return QStringLiteral("not a regular file");
}

QString system_reason(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

// The results file being written. Normally a temporary file beside the target, which
// replaces it only once complete and takes over the old file's mode and owner. The
// file is rewritten in place instead where that cannot be done: no file can be made
// beside it (a folder the user may not write to), it has other names (hard links) that
// must see the new content, or its owner cannot be kept. Its new bytes are then
// gathered in memory and written only at commit, into space reserved beforehand, so
// that an export that fails or is abandoned before then leaves the file as it was.
class ResultFile {
 public:
  explicit ResultFile(const QString& path) : path_(path), atomic_(path) {}
  ~ResultFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  ResultFile(const ResultFile&) = delete;
  ResultFile& operator=(const ResultFile&) = delete;

  bool open(QString* error) {
    const QFileInfo info(path_);
    if (info.exists() && !info.isFile()) {
      *error = QStringLiteral("it is %1").arg(kind_of_special(path_));
      return false;
    }
    const QByteArray name = QFile::encodeName(path_);
    struct stat st {};
    const bool exists = ::stat(name.constData(), &st) == 0;
    // A file its owner marked read-only is not replaced: a write to it would fail.
    if (exists && ((st.st_mode & 0222) == 0 || ::access(name.constData(), W_OK) != 0)) {
      *error = system_reason((st.st_mode & 0222) == 0 ? EACCES : errno);
      return false;
    }
    if (!exists || st.st_nlink <= 1) {
      atomic_.setDirectWriteFallback(false);
      if (atomic_.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (!exists || keeps_mode_and_owner(atomic_.handle(), st)) return true;
        atomic_.cancelWriting();  // the temporary file goes with the object
      }
      *error = atomic_.errorString();
    }
    if (!exists) return false;
    // Opened for reading too where it may be, so that the space can be reserved even
    // where the file system has no call of its own for it.
    fd_ = ::open(name.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) fd_ = ::open(name.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) {
      *error = system_reason(errno);
      return false;
    }
    spool_.open(QIODevice::WriteOnly);
    in_place_ = true;
    return true;
  }

  QIODevice& device() { return in_place_ ? static_cast<QIODevice&>(spool_) : atomic_; }

  void cancel() {
    if (!in_place_) atomic_.cancelWriting();
  }

  bool commit(QString* error) { return in_place_ ? rewrite_in_place(error) : replace(error); }

 private:
  static bool keeps_mode_and_owner(int fd, const struct stat& old) {
    struct stat now {};
    if (::fstat(fd, &now) != 0) return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0)
      return false;
    return ::fchmod(fd, old.st_mode & 07777) == 0;
  }

  bool replace(QString* error) {
    // Qt does not report a failed sync, where a full disk may show only now.
    if (::fsync(atomic_.handle()) != 0) {
      *error = system_reason(errno);
      return false;  // the temporary file goes with the object
    }
    if (atomic_.commit()) return true;
    *error = atomic_.errorString();
    return false;
  }

  bool rewrite_in_place(QString* error) {
    const QByteArray& bytes = spool_.data();
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
      *error = system_reason(errno);
      return false;
    }
    // The space first: where it is refused, nothing of the old content is touched yet.
    const off_t size = std::max<off_t>(st.st_size, static_cast<off_t>(bytes.size()));
    if (size > 0) {
      if (const int rc = ::posix_fallocate(fd_, 0, size); rc != 0) {
        *error = system_reason(rc);
        return false;
      }
    }
    for (qsizetype at = 0; at < bytes.size();) {
      const ssize_t n =
          ::pwrite(fd_, bytes.constData() + at, static_cast<std::size_t>(bytes.size() - at), at);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        *error = system_reason(n < 0 ? errno : ENOSPC);
        return false;
      }
      at += n;
    }
    if (::ftruncate(fd_, bytes.size()) != 0 || ::fsync(fd_) != 0) {
      *error = system_reason(errno);
      return false;
    }
    return true;
  }

  QString path_;
  QSaveFile atomic_;
  int fd_ = -1;
  QBuffer spool_;
  bool in_place_ = false;
};

}  // namespace

bool save_aligned_text(const ListSource& list, const QString& path, Progress* progress,
                       Yielder& yield) {
  Trap trap("Main", "SaveListviewProperlySpaced");
  const QString caption =
      "Writing file: " + QString::fromStdString(std::string(file_name_part(path.toStdString())));
  auto idle = [&] {
    if (!progress) return;
    progress->setProgressValue(0);
    progress->setProgressText(kProgressIdleText);
  };
  const FileSizeSignalIgnored size_limit_is_an_error;
  const std::string shown = path.toStdString();

  ResultFile file(path);
  QString error;
  if (!file.open(&error)) {
    trap.fail(156, "Cannot create the file " + shown + ": " + error.toStdString());
    idle();
    return false;
  }
  int line = 0;
  bool written = false;
  try {
    written = write_spaced(list, file.device(), progress, caption, yield, &error, &line);
  } catch (const ListChanged& e) {
    file.cancel();
    trap.fail(e.line(), std::string(kChangedWhileSaving) + ", so " + shown +
                            " was left as it was. Save again to write the list as it is now.");
    idle();
    return false;
  }
  if (!written) {
    file.cancel();
    trap.fail(line, "Cannot write the file " + shown + ": " + error.toStdString());
    idle();
    return false;
  }
  if (progress) {
    progress->setProgressValue(100);
    progress->setProgressText(QStringLiteral("Done."));
  }
  if (!file.commit(&error)) {
    trap.fail(232, "Cannot write the file " + shown + ": " + error.toStdString());
    idle();
    return false;
  }
  idle();
  return true;
}

}  // namespace quorvane
