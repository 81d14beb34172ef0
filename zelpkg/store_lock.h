// What keeps two zelpkg runs on one store apart: a lock held while a run
// makes or fills the store, and a temporary name of the run's own for a
// store being made (two runs sharing one would remove each other's).
#pragma once

#include <cstdint>
#include <string>

namespace package {

class StoreLock {
 public:
  StoreLock() = default;
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;
  ~StoreLock();

  // Takes the lock of the store at path (a host path): the lock file
  // "path.zelpkg-lock" beside it, removed again when the lock is let go.
  // While another run holds it, says once on standard error that this run
  // waits, and waits up to wait_seconds; false with the reason (one line).
  bool Acquire(const std::string& path, int wait_seconds, std::string* why);

 private:
  std::string lock_path_;
  intptr_t handle_ = -1;  // a file descriptor, or a Windows handle
};

// A name beside path for a store that this run makes: "path.PID.zelpkg-tmp".
std::string RunTempName(const std::string& path);

}  // namespace package
