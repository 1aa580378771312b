#include "cli/completions.h"

#include "cli/common.h"
#include "cli/output.h"

namespace quorvane::cli {
namespace {

std::vector<const CLI::App*> visible_commands(const CLI::App& app) {
  return app.get_subcommands([](const CLI::App* c) { return !c->get_group().empty(); });
}

struct Word {
  std::vector<std::string> names;  // "-f", "--format"
  std::string description;
  std::string values;  // "lines csv" when the option takes one of a few words
  bool takes_value = false, path = false;
};

std::vector<Word> words_of(const CLI::App& command) {
  std::vector<Word> out;
  for (const CLI::Option* o : command.get_options()) {
    if (!o->nonpositional()) continue;
    Word w;
    for (const std::string& s : o->get_snames()) w.names.push_back("-" + s);
    for (const std::string& l : o->get_lnames()) w.names.push_back("--" + l);
    w.description = o->get_description().substr(0, o->get_description().find(". "));
    w.takes_value = o->get_expected_max() > 0;
    const std::string type = o->get_type_name();
    const std::size_t open = type.find('{'), close = type.find('}');
    if (open != std::string::npos && close != std::string::npos && close > open)
      for (char c : type.substr(open + 1, close - open - 1)) w.values += c == ',' ? ' ' : c;
    w.path = type == "PATH" || type == "FILE";
    out.push_back(std::move(w));
  }
  return out;
}

std::string joined(const std::vector<std::string>& names, const char* between) {
  std::string s;
  for (const std::string& n : names) s += (s.empty() ? "" : between) + n;
  return s;
}

// Text inside single quotes, for both shells, without the brackets and colons zsh reads.
std::string quoted_text(const std::string& text) {
  std::string s;
  for (char c : text) {
    if (c == '\'')
      s += "'\\''";
    else if (c == '[' || c == ']')
      s += c == '[' ? '(' : ')';
    else if (c == ':')
      s += ',';
    else
      s += c;
  }
  return s;
}

void add_bash_values(std::string& out, const std::string& command, const std::vector<Word>& words) {
  for (const Word& w : words) {
    if (!w.takes_value) continue;
    std::string patterns;
    for (const std::string& n : w.names)
      patterns += (patterns.empty() ? "" : "|") + command + ":" + n;
    out += "    " + patterns + ") ";
    if (!w.values.empty())
      out += "COMPREPLY=($(compgen -W '" + w.values + "' -- \"$cur\")) ;;\n";
    else if (w.path)
      out += "COMPREPLY=($(compgen -f -- \"$cur\")) ;;\n";
    else
      out += "COMPREPLY=() ;;\n";
  }
}

std::string option_list(const std::vector<Word>& words) {
  std::vector<std::string> names;
  for (const Word& w : words) names.insert(names.end(), w.names.begin(), w.names.end());
  return joined(names, " ");
}

}  // namespace

std::string bash_completion(const CLI::App& app) {
  const auto commands = visible_commands(app);
  std::vector<std::string> names;
  for (const CLI::App* c : commands) names.push_back(c->get_name());
  std::string out =
      "# bash completion for quorvane-cli, written by `quorvane-cli completions bash`\n"
      "_quorvane_cli() {\n"
      "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} cmd= i\n"
      "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
      "    case ${COMP_WORDS[i]} in\n"
      "      " +
      joined(names, "|") +
      ") cmd=${COMP_WORDS[i]}; break ;;\n"
      "    esac\n"
      "  done\n"
      "  case $cmd:$prev in\n";
  add_bash_values(out, "", words_of(app));
  for (const CLI::App* c : commands) add_bash_values(out, c->get_name(), words_of(*c));
  out +=
      "    *)\n"
      "      if [[ -z $cmd && $cur != -* ]]; then\n"
      "        COMPREPLY=($(compgen -W '" +
      joined(names, " ") +
      "' -- \"$cur\"))\n"
      "        return\n"
      "      fi\n"
      "      local options\n"
      "      case $cmd in\n"
      "        '') options='" +
      option_list(words_of(app)) + "' ;;\n";
  for (const CLI::App* c : commands)
    out += "        " + c->get_name() + ") options='" + option_list(words_of(*c)) + "' ;;\n";
  out +=
      "      esac\n"
      "      if [[ $cur == -* ]]; then\n"
      "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
      "      else\n"
      "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
      "      fi ;;\n"
      "  esac\n"
      "}\n"
      "complete -o filenames -F _quorvane_cli quorvane-cli\n";
  return out;
}

std::string zsh_completion(const CLI::App& app) {
  const auto commands = visible_commands(app);
  std::vector<std::string> names;
  std::string described;
  for (const CLI::App* c : commands) {
    names.push_back(c->get_name());
    described += "    '" + c->get_name() + ":" +
                 quoted_text(c->get_description().substr(0, c->get_description().find(". "))) +
                 "'\n";
  }
  const auto argument_lines = [](const std::vector<Word>& words) {
    std::string s;
    for (const Word& w : words) {
      const std::string exclusive = w.names.size() > 1 ? "(" + joined(w.names, " ") + ")" : "";
      for (const std::string& n : w.names) {
        s += "      '" + exclusive + n + (w.takes_value && n.starts_with("--") ? "=" : "") + "[" +
             quoted_text(w.description) + "]";
        if (w.takes_value)
          s += ":value:" + (!w.values.empty() ? "(" + w.values + ")" : w.path ? "_files" : " ");
        s += "' \\\n";
      }
    }
    return s;
  };
  std::string out =
      "#compdef quorvane-cli\n"
      "# zsh completion for quorvane-cli, written by `quorvane-cli completions zsh`\n"
      "_quorvane_cli() {\n"
      "  local cmd= i\n"
      "  for ((i = 2; i < CURRENT; i++)); do\n"
      "    case $words[i] in\n"
      "      " +
      joined(names, "|") +
      ") cmd=$words[i]; break ;;\n"
      "    esac\n"
      "  done\n"
      "  case $cmd in\n"
      "    '')\n"
      "      if [[ $PREFIX != -* ]]; then\n"
      "        local -a commands=(\n" +
      described +
      "        )\n"
      "        _describe command commands\n"
      "        return\n"
      "      fi\n"
      "      _arguments \\\n" +
      argument_lines(words_of(app)) + "      ;;\n";
  for (const CLI::App* c : commands) {
    out += "    " + c->get_name() + ")\n      _arguments \\\n" + argument_lines(words_of(*c)) +
           "      '*:file:_files' ;;\n";
  }
  out += "  esac\n}\n_quorvane_cli \"$@\"\n";
  return out;
}

CLI::App* add_completions_command(CLI::App& app, CompletionsSettings& s) {
  CLI::App* cmd = app.add_subcommand("completions", "");
  cmd->group("");
  cmd->add_option("SHELL", s.shell, "bash or zsh")
      ->required()
      ->check(CLI::IsMember({"bash", "zsh"}));
  return cmd;
}

int completions(const CLI::App& app, const CompletionsSettings& s) {
  write_now(s.shell == "zsh" ? zsh_completion(app) : bash_completion(app));
  return kAllDistances;
}

}  // namespace quorvane::cli
