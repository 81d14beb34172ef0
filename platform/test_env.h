// Helpers of the unit tests and benchmarks that work on both systems: a
// scratch folder under the temporary folder and environment variables. Host
// paths (UTF-8).
#pragma once

#include <string>

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

}  // namespace testenv
