// augment's rows, their second half: compared, written and counted (augment_rows.h).
#include "cli/augment_rows.h"
#include "engine/text.h"
#include "format/place_columns.h"
#include "format/status_words.h"

namespace quorvane::cli {

void AugmentRows::write_end(Block& b, const Staged& s, const PairResult& r) const {
  std::string& out = b.out;
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
      append_places(b, s.from.zip(), 0);
      append_places(b, s.to.zip(), 1);
    }
    out += "}\n";
    return;
  }
  const char d = layout_.delimiter;
  if (r.status == PairStatus::Distance) append_distance_text(out, r.distance, ".");
  ((out += d) += word) += d;
  ((out += s.from.zip()) += d) += s.to.zip();
  if (layout_.places) {
    append_places(b, s.from.zip(), 0);
    append_places(b, s.to.zip(), 1);
  }
  out += "\r\n";
}

void AugmentRows::append_places(Block& b, std::string_view zip, std::size_t side) const {
  std::size_t n = zip.empty() ? kZipKeys - 1 : 0;
  for (char c : zip) n = n * 10 + static_cast<std::size_t>(c - '0');
  Written& w = b.places_written[side * kZipKeys + n];
  if (w.size == 0) {
    w.at = static_cast<std::uint32_t>(b.places_text.size());
    if (layout_.jsonl)
      append_places_json(b.places_text, *layout_.places, zip, side == 0 ? "from_" : "to_");
    else
      append_places_csv(b.places_text, *layout_.places, zip, layout_.delimiter);
    w.size = static_cast<std::uint32_t>(b.places_text.size() - w.at);
  }
  b.out.append(b.places_text, w.at, w.size);
}

void AugmentRows::write_block(Block& b) const {
  stage(b);
  const std::span<PairResult> results(b.results.data(), b.pairs.size());
  if (!b.pairs.empty()) {
    b.engine->compare(b.pairs, options_, results, LineOutput{});
    b.engine->forget_not_found();  // the status column says it, row by row
  }
  b.out.clear();
  PairResult not_a_zip;
  not_a_zip.status = PairStatus::NotAZip;
  std::size_t from = 0;
  for (std::size_t i = 0; i < b.count; ++i) {
    const Staged& s = b.staged[i];
    b.out.append(b.text, from, s.end - from);
    from = s.end;
    const PairResult& r = s.pair < 0 ? not_a_zip : results[static_cast<std::size_t>(s.pair)];
    write_end(b, s, r);
    Tally& t = b.tallies[static_cast<std::size_t>(r.status)];
    // Rows that are not a zip code are named as they are staged.
    if (t.count++ == 0 && r.status != PairStatus::Distance && r.status != PairStatus::NotAZip)
      t.first = at_line(s.line) + ", " + std::string(r.failed == 2 ? s.to.zip() : s.from.zip());
  }
}

void AugmentRows::deliver(Block& b) {
  out_.put(b.out);
  for (std::size_t i = 0; i < kStatuses; ++i) {
    Tally& t = tallies_[i];
    if (t.first.empty()) t.first = std::move(b.tallies[i].first);
    t.count += b.tallies[i].count;
  }
  if (cleaned_.first.empty()) cleaned_.first = std::move(b.cleaned.first);
  cleaned_.count += b.cleaned.count;
  if (b.helper) engine_.absorb(*b.helper);
}

void AugmentRows::finish() {
  if (filling_) submit();
  blocks_.finish();
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
