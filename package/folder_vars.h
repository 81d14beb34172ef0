// The store's folders (output_folder, env_folder) may name environment
// variables as Windows writes them, "%APPDATA%\Zelmar\", so that one store
// serves every user of a machine.
#pragma once

#include <string>

namespace package {

// folder (CP932) with each %NAME% of a variable that is set replaced by its
// value; a name that is not set, and a lone "%", stay as written. On
// Windows the system expands them (ExpandEnvironmentStringsW); elsewhere
// they come from the process's environment, whose UTF-8 values are turned
// into Shift_JIS. Empty when the expanded folder has no Shift_JIS form.
std::string ExpandFolderVariables(const std::string& folder);

}  // namespace package
