// Inside the platform layer: how the Windows string getters hand a text to
// the caller's buffer, on both systems.
#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cp932.h"
#include "platform/wintypes.h"

namespace win {

// Copies text into a caller's buffer the way the Windows string getters do:
// the length without terminator when it fits, else the size needed with the
// terminator and the buffer left alone.
inline DWORD CopyOut(const std::string& text, char* buffer, DWORD size) {
  if (!buffer || text.size() + 1 > size) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

// GetPrivateProfileStringA's value: copied into the caller's buffer cut to
// fit; returns the bytes copied.
inline DWORD Deliver(std::string_view text, char* buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  return static_cast<DWORD>(cp932::CopyCut(buffer, size, text));
}

// GetPrivateProfileStringA's list of names, each terminated, the list ended by a second NUL; cut like
// Windows when it does not fit (returns size - 2 then).
inline DWORD DeliverList(const std::vector<std::string>& names, char* buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  if (size == 1) {
    buffer[0] = '\0';
    return 0;
  }
  size_t used = 0;
  for (const std::string& name : names) {
    if (used + name.size() + 2 > size) {
      size_t room = size - 2 - used;
      size_t n = cp932::CutLength(name, room);
      std::memcpy(buffer + used, name.data(), n);
      used += n;
      buffer[used] = '\0';
      buffer[used + 1] = '\0';
      return static_cast<DWORD>(size - 2);
    }
    std::memcpy(buffer + used, name.c_str(), name.size() + 1);
    used += name.size() + 1;
  }
  buffer[used] = '\0';
  return static_cast<DWORD>(used == 0 ? 0 : used);
}

}  // namespace win
