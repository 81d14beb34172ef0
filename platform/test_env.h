// Helpers of the unit tests and benchmarks: a scratch folder under the
// temporary folder and environment variables (on both systems), and the one
// way they start other programs (on the host build). Host paths (UTF-8).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testenv {

// A new empty folder under the system's temporary folder whose name starts
// with prefix, removed with everything in it when the object goes. A test
// cannot go on without its folder: when none can be made, the program stops
// with the reason on standard error.
class ScratchDir {
 public:
  explicit ScratchDir(const char* prefix);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // The folder's host path.
  const std::string& path() const { return path_; }
  // The host path of name in the folder, and the program's (Windows) form
  // of it.
  std::string Host(const std::string& name) const { return path_ + "/" + name; }
  std::string Windows(const std::string& name) const;

 private:
  // Makes the folder; its host path, empty when it cannot be made. One for
  // each system.
  static std::string Make(const char* prefix);

  std::string path_;
};

// Sets or removes an environment variable of the process, as getenv (and
// the program's own reads of it) see it.
void SetEnv(const char* name, const std::string& value);
void UnsetEnv(const char* name);

#ifndef _WIN32
// What to start and how. Members left out keep the defaults, so a call
// names only what it needs: RunProgram({.argv = {"tmux", "-V"}}).
struct Program {
  // argv[0] is a path, or a name looked up in PATH.
  std::vector<std::string> argv{};
  // "NAME=value" sets NAME, "NAME" alone removes it, in the environment the
  // program inherits from this process, or in an empty one when clean_env.
  std::vector<std::string> env{};
  bool clean_env = false;
  // The working folder; empty: this process's.
  std::string folder{};
  // Fed to standard input; none: standard input is /dev/null.
  std::optional<std::string> input{};
  // Standard output (and error) go to these files, made or emptied, instead
  // of the result; merge_error sends standard error where standard output
  // goes, as 2>&1 does.
  std::string output_file{}, error_file{};
  bool merge_error = false;
  // setrlimit(resource, value) in the program, soft and hard. With
  // RLIMIT_FSIZE, a write beyond the limit fails (EFBIG) instead of killing
  // the program, as on a full disk.
  std::vector<std::pair<int, long>> limits{};
  // Seconds after which the program and what it started are killed; 0: no
  // limit.
  double timeout = 0;
  // Asked every half millisecond while the program runs; when it answers
  // true, the program and what it started are killed (SIGKILL).
  std::function<bool()> stop_when{};
};

struct ProgramResult {
  // The exit status, or 128 + the signal that ended the program, as a
  // shell reports it; 127 when it could not be started (why in err).
  int status = -1;
  int signal = 0;  // the signal that ended it, 0 when it exited
  bool timed_out = false;
  std::string out, err;  // what it wrote, unless sent to files
  double seconds = 0;    // wall time from start to end
  long peak_kb = 0;      // its peak resident memory
};

// Starts the program, waits for it (and for every copy of its output
// streams to be closed) and returns how it ended. Safe to call from several
// threads at once.
ProgramResult RunProgram(const Program& program);

// Runs the programs at the same time; their results in the same order.
std::vector<ProgramResult> RunPrograms(const std::vector<Program>& programs);

// For a test that needs processes side by side: runs this test program
// count times at once for only the test named ("Suite.Name"), with env and
// ZEL_TEST_WORKER set to the copy's number (from 0). The test, seeing that
// variable, does a worker's part and returns.
std::vector<ProgramResult> RunWorkers(const std::string& test, int count,
                                      const std::vector<std::string>& env);
#endif

}  // namespace testenv
