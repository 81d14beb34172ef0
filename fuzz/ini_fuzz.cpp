// The INI reader: a file from the input read for one key, for the key names
// of a section (null key) and for the section names (null section), into
// buffers of every small size and a large one.
//
// Input: line 1 the section, line 2 the key, the rest the file.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz/support.h"
#include "platform/win.h"

namespace {

// One read into a buffer of exactly size bytes (null for size 0), so that a
// write past it is caught; checks what the result says of the buffer.
void ReadInto(const char* section, const char* key, const char* fallback, DWORD size) {
  std::unique_ptr<char[]> buffer(size ? new char[size] : nullptr);
  if (size) std::memset(buffer.get(), 'z', size);
  DWORD n = win::GetPrivateProfileStringA(section, key, fallback, buffer.get(), size, "C:\\fuzz.ini");
  if (size == 0) {
    fuzz::Check(n == 0, "nothing is delivered into no buffer");
    return;
  }
  fuzz::Check(n < size, "the result is inside the buffer");
  fuzz::Check(buffer[n] == '\0', "the text or list ends at the result");
  if (section && key) {
    fuzz::Check(std::strlen(buffer.get()) == n, "a value is one terminated text");
  } else if (n > 0) {
    // A whole list ends with the last name's NUL and the second one at the
    // result; a cut one (result size - 2) may have both after the result.
    fuzz::Check(buffer[n - 1] == '\0' || (n == size - 2 && buffer[n + 1] == '\0'), "a list ends in two NULs");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool mapped = [] {
    setenv("ZEL_DRIVES", ("C:fixed=" + fuzz::ScratchDir()).c_str(), 1);
    win::ReloadMappings();
    return true;
  }();
  (void)mapped;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string section(fuzz::NextLine(&input));
  std::string key(fuzz::NextLine(&input));
  fuzz::WriteFile(fuzz::ScratchDir() + "/fuzz.ini", input);

  for (DWORD n = 0; n <= 12; ++n) {
    ReadInto(section.c_str(), key.c_str(), key.c_str(), n);
    ReadInto(section.c_str(), nullptr, "", n);
    ReadInto(nullptr, nullptr, "", n);
    ReadInto(nullptr, key.c_str(), "", n);
  }
  ReadInto(section.c_str(), key.c_str(), section.c_str(), 4096);
  ReadInto(section.c_str(), nullptr, "", 4096);
  ReadInto(nullptr, nullptr, "", 4096);
  return 0;
}
