#include "cli/augment_rows.h"

#include <algorithm>

#include "engine/text.h"
#include "format/csv.h"
#include "format/json.h"
#include "format/place_columns.h"
#include "format/status_words.h"

namespace quorvane::cli {
namespace {

constexpr std::string_view kEnds[] = {"status", "from_zip", "to_zip"};
// After them with --places.
constexpr std::string_view kPlaceEnds[] = {"from_place", "from_state", "from_kind",
                                           "to_place",   "to_state",   "to_kind"};

// A cell as a message shows it: quoted, at most 40 bytes, line breaks as spaces.
std::string quoted(std::string_view cell) {
  std::string s = "'";
  for (char c : cell.substr(0, 40)) s += c == '\r' || c == '\n' ? ' ' : c;
  return s + (cell.size() > 40 ? "...'" : "'");
}

std::string at_line(std::uint64_t line) {
  return "line " + std::to_string(line);
}

std::string json_key(std::string_view name) {
  std::string key;
  append_json_string(key, name);
  return key + ':';
}

}  // namespace

AugmentRows::AugmentRows(ZipDistance& engine, const CompareOptions& options,
                         const AugmentLayout& layout, Output& out)
    : engine_(engine), options_(options), layout_(layout), out_(out) {
  staged_.resize(kBlock);
  results_.resize(kBlock);
  pairs_.reserve(kBlock);
  text_.reserve(kBlock * 128);
  if (layout_.places) places_written_.resize(2 * kZipKeys);
}

CleanZip AugmentRows::clean(std::string_view cell) const {
  return clean_zip(cell, layout_.strict);
}

void AugmentRows::header(std::span<const std::string_view> names) {
  width_ = names.size();
  std::string& text = out_.text();
  if (!layout_.jsonl) {
    for (std::string_view name : names) {
      append_csv_field(text, name, layout_.delimiter);
      text += layout_.delimiter;
    }
    text += layout_.distance;
    for (std::string_view end : kEnds) (text += layout_.delimiter) += end;
    if (layout_.places) {
      append_places_header(text, "from_", layout_.delimiter);
      append_places_header(text, "to_", layout_.delimiter);
    }
    text += "\r\n";
    return;
  }
  // Each key once: a name met before (the new columns' names among them) gets a number.
  std::vector<std::string> taken{std::string(layout_.distance)};
  for (std::string_view end : kEnds) taken.emplace_back(end);
  if (layout_.places)
    for (std::string_view end : kPlaceEnds) taken.emplace_back(end);
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::string key = names[i].empty() ? std::to_string(i + 1) : std::string(names[i]);
    for (int n = 2; std::find(taken.begin(), taken.end(), key) != taken.end(); ++n)
      key = std::string(names[i]) + '_' + std::to_string(n);
    taken.push_back(key);
    keys_.push_back(json_key(key));
  }
}

void AugmentRows::no_header(std::size_t width) {
  width_ = width;
  for (std::size_t i = 0; i < width; ++i) keys_.push_back(json_key(std::to_string(i + 1)));
}

void AugmentRows::stage_csv(std::span<const std::string_view> fields) {
  for (std::string_view f : fields) {
    append_csv_field(text_, f, layout_.delimiter);
    text_ += layout_.delimiter;
  }
  // A short row is filled up, so that the new columns stand under their names.
  if (fields.size() < width_) text_.append(width_ - fields.size(), layout_.delimiter);
}

void AugmentRows::stage_json(std::span<const std::string_view> fields) {
  text_ += '{';
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i < keys_.size())
      text_ += keys_[i];
    else
      text_ += json_key(std::to_string(i + 1));
    append_json_string(text_, fields[i]);
    text_ += ',';
  }
  for (std::size_t i = fields.size(); i < keys_.size(); ++i) (text_ += keys_[i]) += "null,";
}

void AugmentRows::row(std::span<const std::string_view> fields, std::uint64_t line) {
  Staged& s = staged_[count_];
  if (layout_.jsonl)
    stage_json(fields);
  else
    stage_csv(fields);
  s.end = static_cast<std::uint32_t>(text_.size());
  s.line = line;
  s.pair = -1;
  // A row with more or fewer fields than the header may have them shifted: it keeps its
  // place as not a zip code.
  const bool whole = fields.size() == width_;
  s.from = whole ? clean(fields[layout_.from]) : CleanZip{};
  s.to = !whole ? CleanZip{} : layout_.to ? clean(fields[*layout_.to]) : layout_.to_zip;
  const bool from_cleaned = s.from.cleaning == Cleaning::Cleaned;
  // A cell of the table, not --to-zip, counts as cleaned.
  const bool to_cleaned = layout_.to && s.to.cleaning == Cleaning::Cleaned;
  if ((from_cleaned || to_cleaned) && cleaned_.count++ == 0)
    cleaned_.first =
        at_line(line) + ", " +
        (from_cleaned ? quoted(fields[layout_.from]) + " read as " + std::string(s.from.zip())
                      : quoted(fields[*layout_.to]) + " read as " + std::string(s.to.zip()));
  if (s.from.ok() && s.to.ok()) {
    s.pair = static_cast<std::int32_t>(pairs_.size());
    pairs_.push_back({s.from.zip(), s.to.zip()});
  } else if (tallies_[static_cast<std::size_t>(PairStatus::NotAZip)].first.empty()) {
    note_not_a_zip(fields, s);
  }
  ++rows_;
  if (++count_ == kBlock) write_block();
}

void AugmentRows::note_not_a_zip(std::span<const std::string_view> fields, const Staged& s) {
  std::string& first = tallies_[static_cast<std::size_t>(PairStatus::NotAZip)].first;
  if (fields.size() != width_)
    first = at_line(s.line) + " has " + std::to_string(fields.size()) + " fields, not " +
            std::to_string(width_);
  else if (!s.from.ok())
    first = at_line(s.line) + ", " + quoted(fields[layout_.from]);
  else if (layout_.to)
    first = at_line(s.line) + ", " + quoted(fields[*layout_.to]);
}

void AugmentRows::write_end(std::string& out, const Staged& s, const PairResult& r) {
  const std::string_view word = status_word(r.status);
  if (layout_.jsonl) {
    (out += '"') += layout_.distance;
    out += "\":";
    if (r.status == PairStatus::Distance)
      append_distance_text(out, r.distance, ".");
    else
      out += "null";
    out += ",\"status\":\"";
    (out += word) += "\",\"from_zip\":\"";
    (out += s.from.zip()) += "\",\"to_zip\":\"";
    (out += s.to.zip()) += '"';
    if (layout_.places) {
      append_places(out, s.from.zip(), 0);
      append_places(out, s.to.zip(), 1);
    }
    out += "}\n";
    return;
  }
  const char d = layout_.delimiter;
  if (r.status == PairStatus::Distance) append_distance_text(out, r.distance, ".");
  ((out += d) += word) += d;
  ((out += s.from.zip()) += d) += s.to.zip();
  if (layout_.places) {
    append_places(out, s.from.zip(), 0);
    append_places(out, s.to.zip(), 1);
  }
  out += "\r\n";
}

void AugmentRows::append_places(std::string& out, std::string_view zip, std::size_t side) {
  std::size_t n = zip.empty() ? kZipKeys - 1 : 0;
  for (char c : zip) n = n * 10 + static_cast<std::size_t>(c - '0');
  Written& w = places_written_[side * kZipKeys + n];
  if (w.size == 0) {
    w.at = static_cast<std::uint32_t>(places_text_.size());
    if (layout_.jsonl)
      append_places_json(places_text_, *layout_.places, zip, side == 0 ? "from_" : "to_");
    else
      append_places_csv(places_text_, *layout_.places, zip, layout_.delimiter);
    w.size = static_cast<std::uint32_t>(places_text_.size() - w.at);
  }
  out.append(places_text_, w.at, w.size);
}

void AugmentRows::tally(const Staged& s, const PairResult& r) {
  Tally& t = tallies_[static_cast<std::size_t>(r.status)];
  ++t.count;
  if (r.status != PairStatus::Distance && t.first.empty())
    t.first = at_line(s.line) + ", " + std::string(r.failed == 2 ? s.to.zip() : s.from.zip());
}

void AugmentRows::write_block() {
  const std::span<PairResult> results(results_.data(), pairs_.size());
  if (!pairs_.empty()) {
    engine_.compare(pairs_, options_, results, LineOutput{});
    engine_.not_found_zips.clear();  // the status column says it, row by row
  }
  std::string& out = out_.text();
  PairResult not_a_zip;
  not_a_zip.status = PairStatus::NotAZip;
  std::size_t from = 0;
  for (std::size_t i = 0; i < count_; ++i) {
    const Staged& s = staged_[i];
    out.append(text_, from, s.end - from);
    from = s.end;
    const PairResult& r = s.pair < 0 ? not_a_zip : results[static_cast<std::size_t>(s.pair)];
    write_end(out, s, r);
    tally(s, r);
  }
  text_.clear();
  pairs_.clear();
  count_ = 0;
  out_.maybe_flush();
}

void AugmentRows::finish() {
  if (count_) write_block();
}

std::vector<std::string> AugmentRows::summary() const {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < kStatuses; ++i) {
    const Tally& t = tallies_[i];
    if (t.count == 0) continue;
    std::string line = std::to_string(t.count) + (t.count == 1 ? " row " : " rows ");
    if (i == 0) {
      line += "with a distance";
    } else {
      line += std::string(status_word(static_cast<PairStatus>(i))) + " (first: " + t.first + ")";
    }
    lines.push_back(std::move(line));
  }
  if (cleaned_.count)
    lines.push_back(
        std::to_string(cleaned_.count) + (cleaned_.count == 1 ? " row has" : " rows have") +
        " a zip code written another way, read as five digits (first: " + cleaned_.first + ")");
  return lines;
}

}  // namespace quorvane::cli
