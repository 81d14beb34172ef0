// Inside the platform layer: how the Windows string getters hand a text to
// the caller's buffer, on both systems.
#pragma once

#include <algorithm>
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
// A value or name of the file as the caller sees it: a NUL byte in the file
// ends it, as it ends any text.
inline std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

inline DWORD Deliver(std::string_view text, char* buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  return static_cast<DWORD>(cp932::CopyCut(buffer, size, UpToNul(text)));
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
  for (const std::string& whole : names) {
    std::string_view name = UpToNul(whole);
    if (used + name.size() + 2 > size) {
      // The cut name starts at most at size - 2, so that the two NULs fit;
      // when the previous name's NUL already stands there, it is the first.
      size_t start = std::min<size_t>(used, size - 2);
      size_t n = cp932::CutLength(name, size - 2 - start);
      std::memcpy(buffer + start, name.data(), n);
      buffer[start + n] = '\0';
      buffer[start + n + 1] = '\0';
      return static_cast<DWORD>(size - 2);
    }
    std::memcpy(buffer + used, name.data(), name.size());
    buffer[used + name.size()] = '\0';
    used += name.size() + 1;
  }
  buffer[used] = '\0';
  return static_cast<DWORD>(used == 0 ? 0 : used);
}

}  // namespace win
