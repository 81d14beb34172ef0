// Helpers of the unit tests that work on both systems: scratch folders under
// the temporary folder and environment variables. Host paths (UTF-8).
#pragma once

#include <string>

namespace testenv {

// A new empty folder under the system's temporary folder whose name starts
// with prefix; its host path, empty when it cannot be made.
std::string MakeScratchDir(const char* prefix);
// Sets or removes an environment variable of the process, as getenv (and
// the program's own reads of it) see it.
void SetEnv(const char* name, const std::string& value);
void UnsetEnv(const char* name);

}  // namespace testenv
