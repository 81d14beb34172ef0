#include "platform/command_line.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace cmdline {

namespace {

constexpr size_t kWidth = 79;

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::istringstream in{std::string(text)};
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

bool IsHelp(std::string_view arg) { return arg == "--help" || arg == "-h"; }

// Edits (insert, delete, replace, swap of two neighbours) that turn a into b.
size_t Distance(std::string_view a, std::string_view b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

std::string_view WithoutDashes(std::string_view word) {
  return word.substr(std::min(word.find_first_not_of('-'), word.size()));
}

// The option's name with its values: "--period START END".
std::string Spelled(const Option& option) {
  std::string text = option.name;
  if (option.values[0] != '\0') text += std::string(" ") + option.values;
  return text;
}

// head, then the parts each after a blank, in lines of at most kWidth
// characters (a longer part stands alone); further lines start under the
// first part.
std::string Wrapped(const std::string& head, const std::vector<std::string>& parts) {
  std::string text = head;
  size_t line = head.size();
  for (const std::string& part : parts) {
    if (line + 1 + part.size() > kWidth && line > head.size()) {
      text += "\n" + std::string(head.size(), ' ');
      line = head.size();
    }
    text += " " + part;
    line += 1 + part.size();
  }
  return text + "\n";
}

}  // namespace

std::string Parsed::Value(std::string_view option, size_t i) const {
  auto found = values.find(option);
  return found != values.end() && i < found->second.size() ? found->second[i] : std::string();
}

std::string DidYouMean(std::string_view word, std::span<const std::string_view> candidates) {
  // A third of the word may be mistyped (two letters at most); a word of
  // two letters or more that starts exactly one candidate is that one.
  std::string_view bare = WithoutDashes(word);
  size_t allowed = std::min<size_t>(2, bare.size() / 3);
  std::string_view best, prefixed;
  size_t best_distance = allowed + 1, prefixes = 0;
  for (std::string_view candidate : candidates) {
    size_t d = Distance(word, candidate);
    if (d < best_distance) {
      best = candidate;
      best_distance = d;
    }
    if (bare.size() >= 2 && WithoutDashes(candidate).starts_with(bare) &&
        word.size() - bare.size() == candidate.size() - WithoutDashes(candidate).size()) {
      prefixed = candidate;
      ++prefixes;
    }
  }
  if (best.empty() && prefixes == 1) best = prefixed;
  return best.empty() ? std::string() : "; did you mean " + std::string(best) + "?";
}

Parsed Parse(const Command& command, std::span<const std::string> args) {
  Parsed parsed;
  bool help = false, version = false, options_end = false;
  auto mistake = [&](const std::string& error) {
    if (parsed.error.empty()) parsed.error = error;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_end || arg.size() < 2 || arg[0] != '-') {
      parsed.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_end = true;
      continue;
    }
    help = help || IsHelp(arg);
    version = version || arg == "--version";
    if (IsHelp(arg) || arg == "--version") continue;
    size_t equals = arg.starts_with("--") ? arg.find('=') : std::string::npos;
    std::string name = arg.substr(0, equals);
    const Option* option = nullptr;
    std::vector<std::string_view> names = {"--help", "-h", "--version"};
    for (const Option& o : command.options) {
      names.push_back(o.name);
      if (name == o.name) option = &o;
    }
    if (option == nullptr) {
      mistake("unknown option " + name + DidYouMean(name, names));
      continue;
    }
    std::vector<std::string> wanted = Words(option->values);
    std::vector<std::string> values;
    if (equals != std::string::npos) {
      if (wanted.size() != 1) {
        mistake(wanted.empty() ? name + " takes no value" : arg + ": give " + Spelled(*option));
        continue;
      }
      values.push_back(arg.substr(equals + 1));
    } else {
      if (args.size() - i - 1 < wanted.size()) {
        mistake(name + " needs " + option->values);
        break;
      }
      values.assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                    args.begin() + static_cast<std::ptrdiff_t>(i + 1 + wanted.size()));
      i += wanted.size();
    }
    for (size_t k = 0; k < values.size(); ++k)
      if (values[k].empty()) mistake(Spelled(*option) + ": " + wanted[k] + " is empty");
    if (parsed.Has(name) && !(option->flags & kRepeats)) mistake(name + " is given twice");
    std::vector<std::string>& given = parsed.values[name];
    given.insert(given.end(), values.begin(), values.end());
  }
  std::vector<std::string> operands = Words(command.operands);
  if (parsed.operands.size() < operands.size())
    mistake(operands[parsed.operands.size()] + " is missing");
  else if (parsed.operands.size() > operands.size())
    mistake("unexpected argument \"" + parsed.operands[operands.size()] + "\"");
  for (const Option& o : command.options)
    if ((o.flags & kRequired) && !parsed.Has(o.name)) mistake(Spelled(o) + " is missing");
  parsed.outcome = help                    ? Parsed::kHelp
                   : version               ? Parsed::kVersion
                   : !parsed.error.empty() ? Parsed::kUsageError
                                           : Parsed::kRun;
  return parsed;
}

std::string Synopsis(const Command& command) {
  std::vector<std::string> parts = Words(command.operands);
  for (const Option& o : command.options)
    parts.push_back((o.flags & kRequired) ? Spelled(o) : "[" + Spelled(o) + "]");
  return Wrapped("usage: " + command.name, parts);
}

std::string OptionHelp(const Command& command) {
  const Option builtin[] = {{"-h, --help", "", "print this help and end"},
                            {"--version", "", "print the version and end"}};
  std::vector<const Option*> all;
  for (const Option& o : command.options) all.push_back(&o);
  for (const Option& o : builtin) all.push_back(&o);
  size_t width = 0;
  for (const Option* o : all) width = std::max(width, Spelled(*o).size());
  std::string text = "Options:\n";
  for (const Option* o : all) {
    std::string spelled = Spelled(*o);
    text += Wrapped("  " + spelled + std::string(width - spelled.size() + 1, ' '), Words(o->help));
  }
  return text;
}

int UsageError(const Command& command, const std::string& error) {
  std::string program = command.name.substr(0, command.name.find(' '));
  std::fprintf(stderr, "%s: %s\n%s(%s --help says more)\n", program.c_str(), error.c_str(),
               Synopsis(command).c_str(), command.name.c_str());
  return kUsageStatus;
}

}  // namespace cmdline
