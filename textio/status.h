// Status reporting shared by the sources of the text record library: every
// result of the setup and file operations goes to the component's message
// manager, with the reporting source and line for a failure and with no
// source for success.
#pragma once

#include "component/component.h"

namespace textio {

inline long ReportStatus(long code, const char* source, long line) {
  return ClMsgMgr::Inst()->SetLastError(code, code != 0 ? source : nullptr, code != 0 ? line : 0);
}

}  // namespace textio
