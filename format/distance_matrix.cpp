#include "format/distance_matrix.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <unordered_map>
#include <vector>

#include "engine/ordered_blocks.h"
#include "engine/text.h"
#include "engine/zip_index.h"
#include "format/csv.h"

namespace quorvane {

namespace {

struct Entry {
  std::size_t text_id = 0;  // equal for equal zip code texts
  bool found = false;
  ZipPlace place;
};

std::vector<Entry> look_up(const ZipTable& table, std::span<const std::string> zips, bool use2016) {
  std::vector<Entry> entries(zips.size());
  std::unordered_map<std::string_view, std::size_t> ids;
  for (std::size_t i = 0; i < zips.size(); ++i) {
    Entry& e = entries[i];
    e.text_id = ids.emplace(zips[i], ids.size()).first->second;
    LocatedZip located = locate_zip(table, zips[i], use2016);
    e.found = located.status == PlaceStatus::Found;
    // The list's own text, as a comparison of the two zip codes would see it.
    if (e.found) e.place = make_place(zips[i], located.place.lat, located.place.lon);
  }
  return entries;
}

class MatrixRows {
 public:
  MatrixRows(std::span<const std::string> zips, std::vector<Entry> entries,
             const MatrixOptions& options)
      : zips_(zips), entries_(std::move(entries)), options_(options) {}

  void write_row(std::size_t i, std::string& out) const {
    const Entry& a = entries_[i];
    out.reserve(zips_.size() * 8 + 16);
    append_csv_field(out, zips_[i]);
    for (std::size_t j = 0; j < entries_.size(); ++j) {
      out += ',';
      const Entry& b = entries_[j];
      if (a.text_id == b.text_id) {
        out += '0';
      } else if (a.found && b.found) {
        // Always measured from the earlier entry, so the matrix is symmetric.
        const double d = j < i ? place_distance(b.place, a.place, options_.method, options_.units)
                               : place_distance(a.place, b.place, options_.method, options_.units);
        append_distance_text(out, d, ".");
      }
    }
    out += "\r\n";
  }

  std::vector<std::size_t> unplaced() const {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < entries_.size(); ++i)
      if (!entries_[i].found) out.push_back(i);
    return out;
  }

 private:
  std::span<const std::string> zips_;
  std::vector<Entry> entries_;
  const MatrixOptions& options_;
};

unsigned thread_count(const MatrixOptions& options) {
  if (options.threads) return options.threads;
  return default_threads();
}

}  // namespace

std::vector<std::size_t> write_distance_matrix(const ZipTable& table,
                                               std::span<const std::string> zips,
                                               const MatrixOptions& options, const TextSink& sink) {
  const MatrixRows rows(zips, look_up(table, zips, options.use2016), options);
  std::string header;
  for (const std::string& zip : zips) {
    header += ',';
    append_csv_field(header, zip);
  }
  header += "\r\n";
  sink(header);

  // Blocks of rows bound the memory held for output that is not written yet.
  const unsigned threads = thread_count(options);
  const std::size_t block = std::max<std::size_t>(64, std::size_t{threads} * 16);
  std::vector<std::string> texts;
  for (std::size_t first = 0; first < zips.size(); first += block) {
    const std::size_t count = std::min(block, zips.size() - first);
    texts.assign(count, std::string());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
      for (std::size_t k; (k = next.fetch_add(1)) < count;) rows.write_row(first + k, texts[k]);
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads && t < count; ++t) helpers.emplace_back(work);
    work();
    for (std::thread& h : helpers) h.join();
    for (const std::string& text : texts) sink(text);
  }
  return rows.unplaced();
}

}  // namespace quorvane
