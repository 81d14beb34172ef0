// The component's message manager: keeps the last status that the text
// record library reported.
#include "component/component.h"

ClMsgMgr* ClMsgMgr::Inst() {
  static ClMsgMgr instance;
  return &instance;
}

long ClMsgMgr::SetLastError(long code, const char* file, long line) {
  code_ = code;
  file_ = file;
  line_ = line;
  return code;
}
