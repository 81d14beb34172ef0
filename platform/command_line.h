// Command lines of the programs and tools. Each command's options stand in
// one table, from which come the parsing, the option list of its --help and
// the nearest valid word offered for a mistyped one. --help, -h and
// --version are understood by every command.
#pragma once

#include <cstddef>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cmdline {

// Exit status of a command line that cannot be run (EX_USAGE of sysexits.h);
// no outcome of a run uses it.
inline constexpr int kUsageStatus = 64;

// Option flags.
inline constexpr int kRequired = 1;  // the command cannot run without it
inline constexpr int kRepeats = 2;   // may be given more than once; its values collect

struct Option {
  const char* name;    // "--assets"
  const char* values;  // the values that follow it, blank-separated ("N", "START END"); "" for none
  const char* help;    // its line in --help
  int flags = 0;
};

// A command: the words that call it ("zelpkg import", or a program's name),
// its operands (each blank-separated word one operand it needs, "FILE"), and
// its options.
struct Command {
  std::string name;
  std::string operands;
  std::span<const Option> options;
};

struct Parsed {
  enum Outcome { kRun, kHelp, kVersion, kUsageError };
  Outcome outcome = kRun;
  std::string error;  // with kUsageError: the mistake, named
  std::map<std::string, std::vector<std::string>, std::less<>> values;  // the options given
  std::vector<std::string> operands;

  bool Has(std::string_view option) const { return values.find(option) != values.end(); }
  // Value i of an option; empty when it was not given.
  std::string Value(std::string_view option, size_t i = 0) const;
};

// Reads args (without the command's own words) against the command's table.
// Options may stand anywhere; "--" ends them; "--name=value" gives an option
// of one value. --help or -h anywhere wins over --version, and both over a
// mistake.
Parsed Parse(const Command& command, std::span<const std::string> args);

// "; did you mean X?" for the candidate nearest to word, or "" when none is
// near enough to be what was meant.
std::string DidYouMean(std::string_view word, std::span<const std::string_view> candidates);

// "usage: NAME OPERANDS [--option VALUE]...", wrapped under itself.
std::string Synopsis(const Command& command);
// One aligned line per option, --help and --version last.
std::string OptionHelp(const Command& command);

// Says the mistake and the command's synopsis on standard error (program is
// the first word of the lines); returns kUsageStatus.
int UsageError(const Command& command, const std::string& error);

}  // namespace cmdline
