#include "cli/command_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace quorvane::cli {
namespace {

constexpr std::size_t kNameColumn = 30;  // the help's column of names, as CLI11 lays it out

std::vector<const CLI::App*> commands_of(const CLI::App& app) {
  return app.get_subcommands([](const CLI::App*) { return true; });
}

const CLI::App* command_named(const CLI::App& app, const std::string& name) {
  for (const CLI::App* c : commands_of(app))
    if (c->get_name() == name) return c;
  return nullptr;
}

// How many of the shared options' tokens start at args[i]: 2 for a name and its value,
// 1 for "--units=km" or "-ukm", 0 for anything else.
std::size_t shared_tokens(const std::vector<std::string>& args, std::size_t i) {
  const std::string& t = args[i];
  for (const SharedOption& o : kSharedOptions) {
    const std::string name = o.name, brief = o.short_name;
    if (t == name || (!brief.empty() && t == brief)) return i + 1 < args.size() ? 2 : 1;
    if (t.starts_with(name + "=")) return 1;
    if (!brief.empty() && t.size() > 2 && t.starts_with(brief)) return 1;
  }
  return 0;
}

std::size_t edit_distance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The name nearest to `typed`: at most two edits away (one for short words), or the only
// name it begins.
std::string nearest_name(const std::string& typed, const std::vector<std::string>& names) {
  std::string best;
  std::size_t best_distance = typed.size() <= 4 ? 2 : 3;
  for (const std::string& n : names) {
    const std::size_t d = edit_distance(typed, n);
    if (d < best_distance) best = n, best_distance = d;
  }
  if (!best.empty()) return best;
  std::vector<std::string> begun;
  for (const std::string& n : names)
    if (typed.size() >= 3 && n.starts_with(typed)) begun.push_back(n);
  return begun.size() == 1 ? begun[0] : std::string();
}

std::vector<std::string> option_names(const CLI::App& command) {
  std::vector<std::string> names;
  for (const CLI::Option* o : command.get_options()) {
    for (const std::string& l : o->get_lnames()) names.push_back("--" + l);
    for (const std::string& s : o->get_snames()) names.push_back("-" + s);
  }
  return names;
}

bool looks_like_option(const std::string& t) {
  return t.size() >= 2 && t[0] == '-' &&
         ((t[1] >= 'a' && t[1] <= 'z') || (t[1] >= 'A' && t[1] <= 'Z') || t[1] == '-');
}

}  // namespace

void add_shared_options(CLI::App& app) {
  static std::string ignored;  // the command reads the value after move_shared_options()
  const char* what[] = {"The zip code database file", "The table: 2016 or 2012",
                        "The output format (the command's --help lists its formats)", "mi or km",
                        "sphere or geodesic"};
  const char* values[] = {"", "2016,2012", "", "mi,km", "sphere,geodesic"};
  std::size_t i = 0;
  for (const SharedOption& o : kSharedOptions) {
    const std::string names = *o.short_name ? std::string(o.short_name) + "," + o.name : o.name;
    CLI::Option* option =
        app.add_option(names, ignored, what[i])->group("Before the command (as after it)");
    if (*values[i]) option->type_name(std::string("TEXT:{") + values[i] + "}");
    if (i == 0) option->type_name("PATH");
    ++i;
  }
}

std::vector<std::string> move_shared_options(std::vector<std::string> args, const CLI::App& app) {
  std::size_t i = 0;
  while (i < args.size()) {
    const std::size_t n = shared_tokens(args, i);
    if (n == 0) break;
    i += n;
  }
  if (i == 0 || i >= args.size() || !command_named(app, args[i])) return args;
  std::vector<std::string> out;
  out.reserve(args.size());
  out.push_back(args[i]);
  out.insert(out.end(), args.begin(), args.begin() + static_cast<std::ptrdiff_t>(i));
  out.insert(out.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
  return out;
}

std::optional<std::string> misspelling(const std::vector<std::string>& args, const CLI::App& app) {
  std::size_t i = 0;
  while (i < args.size() && shared_tokens(args, i)) i += shared_tokens(args, i);
  const CLI::App* scope = &app;
  if (i < args.size() && !looks_like_option(args[i])) {
    scope = command_named(app, args[i]);
    if (!scope) {
      std::vector<std::string> names;
      std::string listed;
      for (const CLI::App* c : commands_of(app)) {
        if (c->get_group().empty()) continue;  // hidden
        names.push_back(c->get_name());
        listed += (listed.empty() ? "" : ", ") + c->get_name();
      }
      const std::string guess = nearest_name(args[i], names);
      return "Unknown command '" + args[i] + "'; " +
             (guess.empty() ? "the commands are " + listed : "did you mean '" + guess + "'?");
    }
  }
  const std::string where = scope == &app ? "" : " for " + scope->get_name();
  for (std::size_t j = 0; j < args.size(); ++j) {
    const std::string& t = args[j];
    if (t == "--") break;
    if (!looks_like_option(t)) continue;
    const std::string name = t.starts_with("--") ? t.substr(0, t.find('=')) : t.substr(0, 2);
    if (scope->get_option_no_throw(name) || app.get_option_no_throw(name)) continue;
    const std::string guess = nearest_name(name, option_names(*scope));
    if (!guess.empty())
      return "Unknown option '" + name + "'" + where + "; did you mean '" + guess + "'?";
  }
  return std::nullopt;
}

std::size_t terminal_width() {
  winsize w{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &w) == 0 && w.ws_col > 0) return std::max(40, +w.ws_col);
  if (const char* columns = std::getenv("COLUMNS")) {
    const long n = std::strtol(columns, nullptr, 10);
    if (n >= 40 && n <= 1000) return static_cast<std::size_t>(n);
  }
  return 0;
}

std::string wrap_help(const std::string& text, std::size_t width) {
  if (width == 0) return text;
  std::string out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    // A description continues under itself: past the first gap of two spaces after
    // the indentation, or under the indentation when there is none.
    const std::size_t lead = std::min(line.find_first_not_of(' '), line.size());
    std::size_t indent = lead;
    if (lead > 0) {
      const std::size_t gap = line.find("  ", lead);
      if (gap != std::string_view::npos)
        indent = std::min(line.find_first_not_of(' ', gap), line.size());
      else if (line[lead] == '-' && line.size() > kNameColumn)
        indent = kNameColumn;  // a name that fills its column, one space before the text
    }
    if (indent + 20 > width) indent = std::min<std::size_t>(lead + 4, width / 2);
    // A word that would not fit under the column moves the column left.
    std::size_t longest = 0;
    for (std::size_t w = indent; w < line.size();) {
      const std::size_t next = std::min(line.find(' ', w), line.size());
      longest = std::max(longest, next - w);
      w = next + 1;
    }
    if (indent + longest > width) indent = width > longest + lead ? width - longest : lead;
    std::string rest(line);
    std::size_t least = indent > lead ? indent : lead + 1;  // no break inside the name
    while (rest.size() > width) {
      std::size_t cut = rest.rfind(' ', width);
      if (cut == std::string::npos || cut < least) cut = rest.find(' ', std::max(width, least));
      if (cut == std::string::npos) break;
      const std::size_t next = rest.find_first_not_of(' ', cut);
      if (next == std::string::npos) break;
      const std::size_t kept = rest.find_last_not_of(' ', cut) + 1;
      out.append(rest, 0, kept);
      out += '\n';
      rest = std::string(indent, ' ') + rest.substr(next);
      least = indent + 1;
    }
    out += rest;
    if (end < text.size()) out += '\n';
  }
  return out;
}

}  // namespace quorvane::cli
