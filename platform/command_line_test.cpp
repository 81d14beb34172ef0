#include "platform/command_line.h"

#include <gtest/gtest.h>

namespace cmdline {
namespace {

TEST(CommandLine, ParsesWhatTheTableSaysAndNamesEachMistake) {
  const Option options[] = {{"--data-set", "ID", "", kRepeats}, {"--jobs", "N", ""}, {"--resume", "", ""}};
  const Command command = {"prog", "", options};
  const struct {
    std::vector<std::string> args;
    Parsed::Outcome outcome;
    const char* error;
  } cases[] = {
      {{"--data-set", "A", "--jobs", "2", "--data-set=B", "--resume"}, Parsed::kRun, ""},
      {{"--", "--jobs"}, Parsed::kUsageError, "unexpected argument \"--jobs\""},
      {{"--jobs", "1", "--jobs", "2"}, Parsed::kUsageError, "--jobs is given twice"},
      {{"--data-set", ""}, Parsed::kUsageError, "--data-set ID: ID is empty"},
      {{"--jobs"}, Parsed::kUsageError, "--jobs needs N"},
      {{"--resume=yes"}, Parsed::kUsageError, "--resume takes no value"},
      {{"--resum"}, Parsed::kUsageError, "unknown option --resum; did you mean --resume?"},
      {{"--da", "A"}, Parsed::kUsageError, "unknown option --da; did you mean --data-set?"},
      {{"--x"}, Parsed::kUsageError, "unknown option --x"},
      {{"--jbos=2", "--version"}, Parsed::kVersion, "unknown option --jbos; did you mean --jobs?"},
      {{"--version", "-h", "extra"}, Parsed::kHelp, "unexpected argument \"extra\""},
  };
  for (const auto& c : cases) {
    Parsed parsed = Parse(command, c.args);
    EXPECT_EQ(parsed.outcome, c.outcome) << ::testing::PrintToString(c.args);
    EXPECT_EQ(parsed.error, c.error) << ::testing::PrintToString(c.args);
  }
  Parsed parsed = Parse(command, cases[0].args);
  EXPECT_EQ(parsed.values["--data-set"], (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(parsed.Value("--jobs"), "2");
  EXPECT_TRUE(parsed.Has("--resume"));
}

}  // namespace
}  // namespace cmdline
