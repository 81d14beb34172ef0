#include "platform/test_env.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>

extern char** environ;

namespace testenv {

std::string ScratchDir::Make(const char* prefix) {
  std::string pattern = std::string("/tmp/") + prefix + "-XXXXXX";
  return mkdtemp(pattern.data()) ? pattern : std::string();
}

void SetEnv(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }
void UnsetEnv(const char* name) { unsetenv(name); }

namespace {

// A file descriptor, closed when the object goes.
class Fd {
 public:
  Fd() = default;
  ~Fd() { Reset(-1); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;

  int get() const { return fd_; }
  void Reset(int fd) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

// The environment the program gets: this process's (or an empty one) with
// the program's entries applied in order.
std::vector<std::string> ProgramEnv(const Program& program) {
  std::vector<std::string> vars;
  if (!program.clean_env) {
    for (char** var = environ; *var != nullptr; ++var) vars.emplace_back(*var);
  }
  for (const std::string& entry : program.env) {
    const std::string prefix = entry.substr(0, entry.find('=')) + "=";
    std::erase_if(vars, [&](const std::string& var) { return var.compare(0, prefix.size(), prefix) == 0; });
    if (entry.size() >= prefix.size()) vars.push_back(entry);
  }
  return vars;
}

// Standard input: a file in memory that holds the text, or /dev/null.
int OpenInput(const std::optional<std::string>& input) {
  if (!input) return open("/dev/null", O_RDONLY | O_CLOEXEC);
  int fd = memfd_create("input", MFD_CLOEXEC);
  for (size_t done = 0; fd >= 0 && done < input->size();) {
    ssize_t n = write(fd, input->data() + done, input->size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      close(fd);
      return -1;
    }
    done += static_cast<size_t>(n);
  }
  if (fd >= 0 && lseek(fd, 0, SEEK_SET) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// An output stream of the program: into file when one is named, else into a
// pipe whose reading end lands in *read_end.
int OpenOutput(const std::string& file, Fd* read_end) {
  if (!file.empty()) return open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return -1;
  read_end->Reset(ends[0]);
  return ends[1];
}

// Seconds on a clock that only goes forward. (<chrono> cannot be compiled
// with the CP932 execution character set.)
double Now() {
  struct timespec now = {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Makes fd the program's stream number target, open across exec.
int Put(int fd, int target) { return fd == target ? fcntl(fd, F_SETFD, 0) : dup2(fd, target); }

}  // namespace

ProgramResult RunProgram(const Program& program) {
  ProgramResult result;
  result.status = 127;
  if (program.argv.empty()) {
    result.err = "no program to start\n";
    return result;
  }
  // Everything the child needs is made before the fork: until it has run
  // exec, it may only make calls that are safe after a fork in a process
  // with threads (another thread may hold the heap's lock).
  const std::vector<std::string> env = ProgramEnv(program);
  std::vector<char*> argv, envp;
  for (const std::string& arg : program.argv) argv.push_back(const_cast<char*>(arg.c_str()));
  for (const std::string& var : env) envp.push_back(const_cast<char*>(var.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  const std::string cannot_start =
      "cannot start " + program.argv[0] + (program.folder.empty() ? "" : " in " + program.folder) + "\n";

  // The child's ends of its three streams, and the pipes read here.
  Fd in, out, err, pipes[2];
  in.Reset(OpenInput(program.input));
  out.Reset(OpenOutput(program.output_file, &pipes[0]));
  if (!program.merge_error) err.Reset(OpenOutput(program.error_file, &pipes[1]));
  if (in.get() < 0 || out.get() < 0 || (!program.merge_error && err.get() < 0)) {
    result.err = "cannot open the streams of " + program.argv[0] + ": " + std::strerror(errno) + "\n";
    return result;
  }

  const double start = Now();
  const pid_t pid = fork();
  if (pid < 0) {
    result.err = std::string("cannot fork: ") + std::strerror(errno) + "\n";
    return result;
  }
  if (pid == 0) {
    // A process group of its own, so that a kill reaches what it starts.
    setpgid(0, 0);
    for (const auto& [resource, value] : program.limits) {
      if (resource == RLIMIT_FSIZE) signal(SIGXFSZ, SIG_IGN);
      const struct rlimit limit = {static_cast<rlim_t>(value), static_cast<rlim_t>(value)};
      setrlimit(resource, &limit);
    }
    if (Put(in.get(), 0) < 0 || Put(out.get(), 1) < 0 || Put(program.merge_error ? 1 : err.get(), 2) < 0) {
      _exit(127);
    }
    if (program.folder.empty() || chdir(program.folder.c_str()) == 0)
      execvpe(argv[0], argv.data(), envp.data());
    ssize_t ignored = write(2, cannot_start.data(), cannot_start.size());
    (void)ignored;
    _exit(127);
  }
  // Set here too: whichever of the two calls comes first makes the group.
  setpgid(pid, pid);
  in.Reset(-1);
  out.Reset(-1);
  err.Reset(-1);

  // Its end shows on a pidfd; without one (an old kernel) it is looked for
  // every millisecond.
  Fd exit_fd;
  exit_fd.Reset(static_cast<int>(syscall(SYS_pidfd_open, pid, 0)));
  std::string* sinks[2] = {&result.out, &result.err};
  bool exited = false, killed = false;
  auto kill_group = [&] {
    if (!killed) kill(-pid, SIGKILL);
    killed = true;
  };
  for (;;) {
    pollfd fds[3];
    nfds_t count = 0;
    for (const Fd& pipe : pipes) {
      if (pipe.get() >= 0) fds[count++] = {pipe.get(), POLLIN, 0};
    }
    if (count == 0 && exited) break;
    if (!exited && exit_fd.get() >= 0) fds[count++] = {exit_fd.get(), POLLIN, 0};

    double wait = INFINITY;
    if (!exited && program.stop_when) wait = 0.0005;
    if (!exited && exit_fd.get() < 0) wait = std::min(wait, 0.001);
    if (program.timeout > 0 && !result.timed_out) {
      wait = std::min(wait, std::max(start + program.timeout - Now(), 0.0));
    }
    struct timespec wait_time = {static_cast<time_t>(wait), static_cast<long>(std::fmod(wait, 1.0) * 1e9)};
    if (ppoll(fds, count, std::isinf(wait) ? nullptr : &wait_time, nullptr) < 0 && errno != EINTR) break;

    for (nfds_t i = 0; i < count; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == exit_fd.get()) {
        exited = true;
        continue;
      }
      const int which = fds[i].fd == pipes[0].get() ? 0 : 1;
      char buffer[65536];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[which]->append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
        pipes[which].Reset(-1);
      }
    }
    if (!exited && exit_fd.get() < 0) {
      siginfo_t info = {};
      exited = waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
    }
    if (!exited && !killed && program.stop_when && program.stop_when()) kill_group();
    if (program.timeout > 0 && !result.timed_out && Now() >= start + program.timeout) {
      result.timed_out = true;
      kill_group();
    }
  }

  int status = 0;
  struct rusage usage = {};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  result.seconds = Now() - start;
  result.peak_kb = usage.ru_maxrss;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  result.status = result.signal != 0 ? 128 + result.signal : WEXITSTATUS(status);
  return result;
}

std::vector<ProgramResult> RunPrograms(const std::vector<Program>& programs) {
  std::vector<ProgramResult> results(programs.size());
  std::vector<std::thread> threads;
  for (size_t i = 0; i < programs.size(); ++i) {
    threads.emplace_back([&, i] { results[i] = RunProgram(programs[i]); });
  }
  for (std::thread& thread : threads) thread.join();
  return results;
}

std::vector<ProgramResult> RunWorkers(const std::string& test, int count,
                                      const std::vector<std::string>& env) {
  std::vector<Program> workers(count, {.argv = {"/proc/self/exe", "--gtest_filter=" + test}, .env = env});
  for (int i = 0; i < count; ++i) {
    // A report file of the test run would be written over by each copy.
    workers[i].env.insert(workers[i].env.end(), {"GTEST_OUTPUT", "ZEL_TEST_WORKER=" + std::to_string(i)});
  }
  return RunPrograms(workers);
}

}  // namespace testenv
