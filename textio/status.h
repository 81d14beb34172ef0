// Status reporting shared by the sources of the text record library: every
// result of the setup and file operations goes to the component's message
// manager, with the reporting source and line for a failure and with no
// source for success.
#pragma once

#include "component/component.h"

namespace textio {

// The failure codes of the setup and file operations (0 is success).
// The file itself failed: it cannot be opened, created or closed, or Open was
// called on a holder whose file is still open.
constexpr long kFileError = -1000;
// The call was wrong, not the file: no path or accessor, a mode that opens
// nothing or both appends and overwrites, a quote mode a fixed-width format
// cannot take.
constexpr long kInvalidArgument = -1003;

inline long ReportStatus(long code, const char* source, long line) {
  return ClMsgMgr::Inst()->SetLastError(code, code != 0 ? source : nullptr, code != 0 ? line : 0);
}

}  // namespace textio
