// The reader's output stream against a model that first cuts it into fields, then
// takes whole rows of them.
#include "engine/access_stream.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/error_trap.h"

namespace {

struct Field {
  char type;
  std::string bytes;
};

struct Model {
  std::vector<std::string> rows;
  bool ok = false;
  std::string message;  // after an 'X' field
};

Model model(const std::string& data, bool exited_well) {
  std::vector<Field> fields;
  std::size_t at = 0;
  while (data.size() - at >= 5) {
    const std::uint32_t n =
        static_cast<std::uint8_t>(data[at + 1]) | static_cast<std::uint8_t>(data[at + 2]) << 8 |
        static_cast<std::uint8_t>(data[at + 3]) << 16 |
        static_cast<std::uint32_t>(static_cast<std::uint8_t>(data[at + 4])) << 24;
    if (data.size() - at - 5 < n) break;
    fields.push_back({data[at], data.substr(at + 5, n)});
    at += 5 + n;
  }
  Model m;
  std::size_t f = 0, consumed = 0;
  auto cell = [](const Field& x) { return x.type == '0' ? std::string("-") : "T" + x.bytes; };
  auto is_cell = [&](std::size_t i) {
    return i < fields.size() && (fields[i].type == '0' || fields[i].type == 'T');
  };
  while (is_cell(f) && is_cell(f + 1) && is_cell(f + 2)) {
    m.rows.push_back(cell(fields[f]) + "|" + cell(fields[f + 1]) + "|" + cell(fields[f + 2]));
    for (int k = 0; k < 3; ++k) consumed += 5 + fields[f + k].bytes.size();
    f += 3;
  }
  if (f < fields.size() && fields[f].type == 'X') {
    m.message = fields[f].bytes.empty() ? "The Access database f.mdb is damaged" : fields[f].bytes;
    return m;
  }
  m.ok = exited_well && consumed + 1 == data.size() && data[consumed] == 'E';
  return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool exited_well = data[0] & 1;
  const std::string stream(reinterpret_cast<const char*>(data + 1), size - 1);
  Model got;
  auto row = [](void* ctx, const quorvane::Cell& k, const quorvane::Cell& a,
                const quorvane::Cell& b) {
    auto text = [](const quorvane::Cell& c) {
      return c.type == quorvane::Cell::Null ? std::string("-") : "T" + std::string(c.text);
    };
    static_cast<Model*>(ctx)->rows.push_back(text(k) + "|" + text(a) + "|" + text(b));
  };
  std::string error;
  try {
    quorvane::parse_access_stream(stream, exited_well, "f.mdb", "t", row, &got);
    got.ok = true;
  } catch (const quorvane::RuntimeError& e) {
    error = e.what();
  }
  const Model want = model(stream, exited_well);
  if (got.rows != want.rows || got.ok != want.ok) std::abort();
  // A message is a C string once thrown: it ends at a NUL.
  if (!want.message.empty() && error != want.message.substr(0, want.message.find('\0')))
    std::abort();
  return 0;
}
