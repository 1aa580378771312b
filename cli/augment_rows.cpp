#include "cli/augment_rows.h"

#include <algorithm>

#include "format/csv.h"
#include "format/json.h"
#include "format/place_columns.h"

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

std::string json_key(std::string_view name) {
  std::string key;
  append_json_string(key, name);
  return key + ':';
}

}  // namespace

std::string AugmentRows::at_line(std::uint64_t line) {
  return "line " + std::to_string(line);
}

AugmentRows::AugmentRows(ZipDistance& engine, const CompareOptions& options,
                         const AugmentLayout& layout, Output& out, unsigned threads)
    : engine_(engine),
      options_(options),
      layout_(layout),
      out_(out),
      threads_(threads ? threads : default_threads()),
      blocks_(
          threads_, [this] { return make_block(); }, [this](Block& b) { write_block(b); },
          [this](Block& b) { deliver(b); }) {}

AugmentRows::~AugmentRows() = default;

std::unique_ptr<AugmentRows::Block> AugmentRows::make_block() {
  auto b = std::make_unique<Block>();
  b->staged.resize(kBlock);
  b->results.resize(kBlock);
  b->pairs.reserve(kBlock);
  b->engine = &engine_;
  if (threads_ > 1) b->engine = (b->helper = engine_.helper(options_.use2016)).get();
  if (layout_.places) b->places_written.resize(2 * kZipKeys);
  return b;
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

void AugmentRows::stage_csv(Block& b, std::span<const std::string_view> fields) const {
  std::string& text = b.text;
  for (std::string_view f : fields) {
    append_csv_field(text, f, layout_.delimiter);
    text += layout_.delimiter;
  }
  // A short row is filled up, so that the new columns stand under their names.
  if (fields.size() < width_) text.append(width_ - fields.size(), layout_.delimiter);
}

void AugmentRows::stage_json(Block& b, std::span<const std::string_view> fields) const {
  std::string& text = b.text;
  text += '{';
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i < keys_.size())
      text += keys_[i];
    else
      text += json_key(std::to_string(i + 1));
    append_json_string(text, fields[i]);
    text += ',';
  }
  for (std::size_t i = fields.size(); i < keys_.size(); ++i) (text += keys_[i]) += "null,";
}

AugmentRows::Block& AugmentRows::filling() {
  if (!filling_) {
    Block& b = *(filling_ = &blocks_.next());
    b.raw.clear();
    b.bounds.clear();
    b.text.clear();
    b.pairs.clear();
    b.tallies = {};
    b.cleaned = {};
    b.count = 0;
  }
  return *filling_;
}

void AugmentRows::row(std::span<const std::string_view> fields, std::uint64_t line) {
  Block& b = filling();
  Staged& s = b.staged[b.count];
  s.line = line;
  if (threads_ == 1) {
    stage_row(b, s, fields);  // at once: no other thread to hand the work to
  } else {
    // Kept as a record whose fields need no undoing, for the block's thread.
    const std::size_t start = b.raw.size();
    for (std::string_view f : fields) {
      const auto begin = static_cast<std::uint32_t>(b.raw.size() - start);
      b.raw += f;
      b.bounds.push_back({begin, static_cast<std::uint32_t>(b.raw.size() - start), false});
    }
    s.raw_end = static_cast<std::uint32_t>(b.raw.size());
    s.bounds_end = static_cast<std::uint32_t>(b.bounds.size());
  }
  end_row(b);
}

void AugmentRows::unsplit_row(std::string_view bytes, std::span<const CsvReader::FieldBound> bounds,
                              std::uint64_t line) {
  // Only copied here, on the reading thread: the block's threads do the rest.
  Block& b = filling();
  Staged& s = b.staged[b.count];
  s.line = line;
  b.raw += bytes;
  b.bounds.insert(b.bounds.end(), bounds.begin(), bounds.end());
  s.raw_end = static_cast<std::uint32_t>(b.raw.size());
  s.bounds_end = static_cast<std::uint32_t>(b.bounds.size());
  end_row(b);
}

void AugmentRows::end_row(Block& b) {
  ++rows_;
  if (++b.count == kBlock || b.raw.size() + b.text.size() >= kBlockBytes) submit();
}

void AugmentRows::submit() {
  filling_ = nullptr;
  blocks_.submit();
}

void AugmentRows::stage(Block& b) const {
  if (threads_ == 1) return;  // staged as the rows came
  std::size_t bound = 0, from = 0;
  for (std::size_t i = 0; i < b.count; ++i) {
    Staged& s = b.staged[i];
    b.fields.clear();
    CsvReader::take_fields(b.raw.data() + from,
                           std::span(b.bounds).subspan(bound, s.bounds_end - bound), b.fields);
    bound = s.bounds_end;
    from = s.raw_end;
    stage_row(b, s, b.fields);
  }
}

void AugmentRows::stage_row(Block& b, Staged& s, std::span<const std::string_view> fields) const {
  if (layout_.jsonl)
    stage_json(b, fields);
  else
    stage_csv(b, fields);
  s.end = static_cast<std::uint32_t>(b.text.size());
  s.pair = -1;
  // A row with more or fewer fields than the header may have them shifted: it keeps its
  // place as not a zip code.
  const bool whole = fields.size() == width_;
  s.from = whole ? clean(fields[layout_.from]) : CleanZip{};
  s.to = !whole ? CleanZip{} : layout_.to ? clean(fields[*layout_.to]) : layout_.to_zip;
  const bool from_cleaned = s.from.cleaning == Cleaning::Cleaned;
  // A cell of the table, not --to-zip, counts as cleaned.
  const bool to_cleaned = layout_.to && s.to.cleaning == Cleaning::Cleaned;
  if ((from_cleaned || to_cleaned) && b.cleaned.count++ == 0)
    b.cleaned.first =
        at_line(s.line) + ", " +
        (from_cleaned ? quoted(fields[layout_.from]) + " read as " + std::string(s.from.zip())
                      : quoted(fields[*layout_.to]) + " read as " + std::string(s.to.zip()));
  if (s.from.ok() && s.to.ok()) {
    s.pair = static_cast<std::int32_t>(b.pairs.size());
    b.pairs.push_back({s.from.zip(), s.to.zip()});
  } else if (std::string& first = b.tallies[static_cast<std::size_t>(PairStatus::NotAZip)].first;
             first.empty()) {
    first = not_a_zip_note(fields, s);
  }
}

std::string AugmentRows::not_a_zip_note(std::span<const std::string_view> fields,
                                        const Staged& s) const {
  if (fields.size() != width_)
    return at_line(s.line) + " has " + std::to_string(fields.size()) + " fields, not " +
           std::to_string(width_);
  if (!s.from.ok()) return at_line(s.line) + ", " + quoted(fields[layout_.from]);
  if (layout_.to) return at_line(s.line) + ", " + quoted(fields[*layout_.to]);
  return {};
}

}  // namespace quorvane::cli
