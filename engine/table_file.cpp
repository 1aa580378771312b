#include "engine/table_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <type_traits>
#include <vector>

#include "engine/checksum.h"
#include "engine/error_trap.h"
#include "engine/read_limits.h"
#include "engine/regular_file.h"

namespace quorvane {
namespace {

constexpr char kMagic[8] = {'Q', 'R', 'V', 'T', 'B', 'L', '\r', '\n'};
constexpr std::uint32_t kVersion = 2;
constexpr std::uint32_t kByteOrder = 0x01020304;
constexpr std::size_t kSampleBytes = 4096;
constexpr std::uint64_t kMaxFileBytes = 512ull << 20;
constexpr std::size_t kIndexEntries = 100000;

static_assert(std::is_trivially_copyable_v<ZipRow> && std::is_trivially_copyable_v<ZipPoint>);

struct Section {
  std::uint64_t offset = 0, size = 0, hash = 0;
};

struct Header {
  char magic[8];
  std::uint32_t version;
  std::uint32_t byte_order;
  std::uint32_t row_bytes;  // the layout of the rows as stored
  std::uint32_t point_bytes;
  std::uint64_t db_size;
  std::uint64_t db_mtime;     // in seconds
  std::uint64_t db_sample;    // checksum of the database's first and last pages
  Section sections[2];        // the 2012 table, the 2016 table
  std::uint64_t header_hash;  // of everything above
};
static_assert(std::is_trivially_copyable_v<Header> && sizeof(Header) == 104);

bool read_fully(int fd, void* to, std::size_t n, std::uint64_t at) {
  auto* p = static_cast<char*>(to);
  while (n > 0) {
    const ssize_t got = ::pread(fd, p, n, static_cast<off_t>(at));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    p += got;
    n -= static_cast<std::size_t>(got);
    at += static_cast<std::uint64_t>(got);
  }
  return true;
}

struct Identity {
  std::uint64_t size = 0, mtime = 0, sample = 0;
};

// The database as the table file names it. Throws RuntimeError when it cannot be read.
Identity identify(const std::string& database_path) {
  const RegularFile file(database_path);
  struct stat st {};
  if (::fstat(file.fd(), &st) != 0) throw RuntimeError(75, "Cannot read " + database_path);
  Identity id;
  id.size = static_cast<std::uint64_t>(st.st_size);
  // Whole seconds: packages and copies keep no finer modification time.
  id.mtime = static_cast<std::uint64_t>(st.st_mtim.tv_sec);
  unsigned char sample[2 * kSampleBytes] = {};
  const std::size_t head = static_cast<std::size_t>(std::min<std::uint64_t>(id.size, kSampleBytes));
  const std::size_t tail =
      static_cast<std::size_t>(std::min<std::uint64_t>(id.size - head, kSampleBytes));
  if (!read_fully(file.fd(), sample, head, 0) ||
      !read_fully(file.fd(), sample + kSampleBytes, tail, id.size - tail))
    throw RuntimeError(75, "Cannot read " + database_path);
  id.sample = checksum(sample, sizeof sample);
  return id;
}

struct ImageHead {
  std::uint32_t kind;
  std::uint32_t index_full;
  std::uint64_t rows, slots, used, long_keys, key_bytes;
  double widest_longitude;
};

void put(std::string& out, const void* data, std::size_t n) {
  out.append(static_cast<const char*>(data), n);
}
void pad8(std::string& out) {
  out.resize((out.size() + 7) & ~std::size_t{7}, '\0');
}

// Reads consecutive parts of one section of the file straight to where they belong,
// never past the section's end, and sums what it read.
class SectionReader {
 public:
  SectionReader(int fd, std::uint64_t offset, std::uint64_t size)
      : fd_(fd), at_(offset), left_(size) {}
  bool read(void* to, std::uint64_t n) {
    if (n > left_ || !read_fully(fd_, to, static_cast<std::size_t>(n), at_)) return false;
    sum_.add(to, static_cast<std::size_t>(n));
    at_ += n;
    left_ -= n;
    return true;
  }
  // The zeros that pad a part of `used` bytes to a multiple of 8.
  bool skip_pad8(std::uint64_t used) {
    char pad[8];
    return read(pad, ((used + 7) & ~std::uint64_t{7}) - used);
  }
  bool at_end() const { return left_ == 0; }
  std::uint64_t checksum() const { return sum_.value(); }

 private:
  int fd_;
  std::uint64_t at_, left_;
  Checksum sum_;
};

}  // namespace

struct TableImage {
  struct StoredSlot {
    std::uint64_t key;
    std::int32_t row;
    std::uint32_t zero;
  };

  static void write(const ZipTable& t, std::string& out) {
    const std::uint64_t key_bytes = t.key_text_.size();
    std::vector<std::uint32_t> long_rows;
    for (const auto& [text, row] : t.long_keys_)
      long_rows.push_back(static_cast<std::uint32_t>(row));
    const ImageHead head{t.kind_ == KeyKind::Text ? 1u : 0u,
                         t.index_full_ ? 1u : 0u,
                         t.rows_.size(),
                         t.slots_.size(),
                         t.used_,
                         long_rows.size(),
                         key_bytes,
                         t.widest_longitude_};
    put(out, &head, sizeof head);
    put(out, t.index_.data(), t.index_.size() * sizeof(std::uint16_t));
    pad8(out);
    for (const ZipTable::Slot& s : t.slots_) {
      const StoredSlot stored{s.key, s.row, 0};
      put(out, &stored, sizeof stored);
    }
    put(out, t.rows_.data(), t.rows_.size() * sizeof(ZipRow));
    put(out, t.points_.data(), t.points_.size() * sizeof(ZipPoint));
    put(out, t.key_ends_.data(), t.key_ends_.size() * sizeof(std::uint32_t));
    pad8(out);
    out += t.key_text_;
    pad8(out);
    put(out, long_rows.data(), long_rows.size() * sizeof(std::uint32_t));
    pad8(out);
  }

  // The table, or nullptr when the section is not a sound image of one.
  static std::unique_ptr<ZipTable> read(SectionReader& in, std::uint64_t expected_sum) {
    ImageHead head;
    if (!in.read(&head, sizeof head)) return nullptr;
    const std::uint64_t rows = head.rows;
    if (head.kind > 1 || head.index_full > 1 || rows > kMaxTableRows ||
        head.slots > (std::uint64_t{1} << 24) || (head.slots & (head.slots - 1)) != 0 ||
        head.used * 4 > head.slots * 3 || head.long_keys > rows ||
        head.key_bytes >= (std::uint64_t{1} << 32) || (head.long_keys > 0 && head.kind != 1) ||
        !(head.widest_longitude >= 0 && head.widest_longitude <= 1e300))
      return nullptr;
    auto t = std::make_unique<ZipTable>(head.kind == 1 ? KeyKind::Text : KeyKind::Number);
    t->index_full_ = head.index_full == 1;
    static_assert(sizeof(ZipTable::Slot) == sizeof(StoredSlot));
    t->slots_.resize(head.slots);
    t->rows_.resize(rows);
    t->points_.resize(rows);
    t->key_ends_.resize(rows);
    t->key_text_.resize(head.key_bytes);
    std::vector<std::uint32_t> long_rows(head.long_keys);
    if (!in.read(t->index_.data(), kIndexEntries * sizeof(std::uint16_t)) ||
        !in.skip_pad8(kIndexEntries * sizeof(std::uint16_t)) ||
        !in.read(t->slots_.data(), head.slots * sizeof(StoredSlot)) ||
        !in.read(t->rows_.data(), rows * sizeof(ZipRow)) ||
        !in.read(t->points_.data(), rows * sizeof(ZipPoint)) ||
        !in.read(t->key_ends_.data(), rows * sizeof(std::uint32_t)) ||
        !in.skip_pad8(rows * sizeof(std::uint32_t)) ||
        !in.read(t->key_text_.data(), head.key_bytes) || !in.skip_pad8(head.key_bytes) ||
        !in.read(long_rows.data(), head.long_keys * sizeof(std::uint32_t)) ||
        !in.skip_pad8(head.long_keys * sizeof(std::uint32_t)) || !in.at_end() ||
        in.checksum() != expected_sum)
      return nullptr;

    // Sound in shape as well as in sum: every row number and offset within bounds.
    for (std::uint16_t v : t->index_)
      if (v > rows) return nullptr;
    std::uint64_t used = 0;
    for (const ZipTable::Slot& s : t->slots_) {
      if (s.row < ZipTable::kNoRow || s.row >= static_cast<std::int64_t>(rows)) return nullptr;
      used += s.row != ZipTable::kNoRow;
    }
    if (used != head.used) return nullptr;  // a full table would never end a probe
    t->used_ = used;
    std::uint64_t start = 0;
    for (std::uint32_t end : t->key_ends_) {
      if (end < start || end > head.key_bytes) return nullptr;
      start = end;
    }
    if (start != head.key_bytes) return nullptr;
    t->widest_longitude_ = head.widest_longitude;
    for (std::uint32_t row : long_rows) {
      if (row >= rows) return nullptr;
      t->long_keys_.emplace(t->key(row), static_cast<std::int32_t>(row));
    }
    return t;
  }
};

std::string table_file_path(const std::string& database_path) {
  const std::size_t slash = database_path.rfind('/');
  const std::size_t dot = database_path.rfind('.');
  const bool has_extension =
      dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  return (has_extension ? database_path.substr(0, dot) : database_path) + ".tables";
}

void write_table_file(const std::string& database_path, const ZipTable& table2012,
                      const ZipTable& table2016) {
  const Identity id = identify(database_path);
  std::string file(sizeof(Header), '\0');
  Header h{};
  std::memcpy(h.magic, kMagic, sizeof kMagic);
  h.version = kVersion;
  h.byte_order = kByteOrder;
  h.row_bytes = sizeof(ZipRow);
  h.point_bytes = sizeof(ZipPoint);
  h.db_size = id.size;
  h.db_mtime = id.mtime;
  h.db_sample = id.sample;
  const ZipTable* tables[2] = {&table2012, &table2016};
  for (int i = 0; i < 2; ++i) {
    Section& s = h.sections[i];
    s.offset = file.size();
    TableImage::write(*tables[i], file);
    s.size = file.size() - s.offset;
    s.hash = checksum(file.data() + s.offset, s.size);
  }
  h.header_hash = checksum(&h, offsetof(Header, header_hash));
  std::memcpy(file.data(), &h, sizeof h);

  const std::string path = table_file_path(database_path);
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) throw RuntimeError(75, "Cannot write " + path + ": " + std::strerror(errno));
  std::size_t done = 0;
  while (done < file.size()) {
    const ssize_t n = ::write(fd, file.data() + done, file.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  const int saved = errno;
  if (::fchmod(fd, 0644) != 0 || ::close(fd) != 0 || done != file.size() ||
      ::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    throw RuntimeError(
        75, "Cannot write " + path + ": " + std::strerror(done == file.size() ? errno : saved));
  }
}

std::unique_ptr<ZipTable> read_table_file(const std::string& database_path, bool use2016) {
  try {
    const std::string path = table_file_path(database_path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return nullptr;
    struct Closer {
      int fd;
      ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) < sizeof(Header) ||
        static_cast<std::uint64_t>(st.st_size) > kMaxFileBytes)
      return nullptr;
    const auto file_size = static_cast<std::uint64_t>(st.st_size);
    Header h;
    if (!read_fully(fd, &h, sizeof h, 0)) return nullptr;
    if (std::memcmp(h.magic, kMagic, sizeof kMagic) != 0 || h.version != kVersion ||
        h.byte_order != kByteOrder || h.row_bytes != sizeof(ZipRow) ||
        h.point_bytes != sizeof(ZipPoint) ||
        h.header_hash != checksum(&h, offsetof(Header, header_hash)))
      return nullptr;
    // The sections follow the header and each other, and end the file.
    if (h.sections[0].offset != sizeof h || h.sections[1].offset < h.sections[0].offset ||
        h.sections[1].offset - h.sections[0].offset != h.sections[0].size ||
        h.sections[1].offset > file_size || file_size - h.sections[1].offset != h.sections[1].size)
      return nullptr;
    const Section& s = h.sections[use2016 ? 1 : 0];
    if (s.offset % 8 != 0 || s.offset < sizeof h || s.offset > file_size ||
        s.size > file_size - s.offset)
      return nullptr;
    const Identity id = identify(database_path);
    if (id.size != h.db_size || id.mtime != h.db_mtime || id.sample != h.db_sample) return nullptr;
    SectionReader in(fd, s.offset, s.size);
    return TableImage::read(in, s.hash);
  } catch (...) {
    return nullptr;  // the database is read as usual, and reports what it finds
  }
}

}  // namespace quorvane
