// GetPrivateProfileStringA on Windows: the system reads the file
// (GetPrivateProfileStringW); the value is handed over in CP932, cut as the
// Linux build cuts it.
#include <string>
#include <vector>

#include "platform/wide.h"
#include "platform/win.h"
#include "platform/win_buffers.h"

#include <windows.h>

namespace win {

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* fallback, char* buffer,
                               DWORD size, const char* file) {
  std::wstring wsection = Wide(section ? section : ""), wkey = Wide(key ? key : "");
  std::wstring wfallback = Wide(fallback ? fallback : ""), wfile = Wide(file ? file : "");
  bool list = !section || !key;
  // A value or list that fills the buffer may have been cut: try a larger one.
  std::wstring value(256, L'\0');
  DWORD n = 0;
  for (;;) {
    DWORD room = static_cast<DWORD>(value.size());
    n = ::GetPrivateProfileStringW(section ? wsection.c_str() : nullptr, key ? wkey.c_str() : nullptr,
                                   wfallback.c_str(), value.data(), room, wfile.c_str());
    if (n + (list ? 2 : 1) < room || room >= (1u << 20)) break;
    value.assign(value.size() * 4, L'\0');
  }
  value.resize(n);
  if (!list) return Deliver(Narrow(value), buffer, size);
  std::vector<std::string> names;
  for (size_t start = 0; start < value.size();) {
    size_t end = value.find(L'\0', start);
    if (end == std::wstring::npos) end = value.size();
    names.push_back(Narrow(std::wstring_view(value).substr(start, end - start)));
    start = end + 1;
  }
  return DeliverList(names, buffer, size);
}

}  // namespace win
