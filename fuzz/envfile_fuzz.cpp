// The environment file of remembered output paths: content from the input
// searched, rewritten with a new entry, and stored in and read back from a
// real file in the scratch folder.
//
// Input: bytes 0-7 the two selection numbers, then line 1 the user ID, line 2
// the path, the rest the file's content.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "dialog/EnvFile.h"
#include "fuzz/support.h"
#include "platform/win.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  int32_t first, second;
  std::memcpy(&first, data, 4);
  std::memcpy(&second, data + 4, 4);
  std::string_view input(reinterpret_cast<const char*>(data + 8), size - 8);
  std::string_view user = fuzz::NextLine(&input);
  std::string_view path = fuzz::NextLine(&input);
  std::string_view content = input;

  const std::string key = envfile::MakeKey(user, first, second);
  envfile::EntrySpan span;
  if (envfile::FindEntry(content, key, &span)) {
    fuzz::Check(span.line_start + key.size() == span.value_start && span.value_start <= span.value_end &&
                    span.value_end <= span.next_line && span.next_line <= content.size(),
                "an entry lies inside the content in order");
    fuzz::Check(content.compare(span.line_start, key.size(), key) == 0, "an entry starts with its key");
    fuzz::Check(span.line_start == 0 || content[span.line_start - 1] == '\n', "an entry starts a line");
    fuzz::Check(content.substr(span.value_start, span.value_end - span.value_start).find('\n') ==
                    std::string_view::npos,
                "a value is one line");
  }
  const std::string replaced = envfile::ReplaceEntry(content, key, path);
  const std::string entry = key + std::string(path) + "\n";
  fuzz::Check(replaced.size() >= entry.size() &&
                  replaced.compare(replaced.size() - entry.size(), entry.size(), entry) == 0,
              "the new entry is the last line");

  // A key without LF is found again after it was stored, with its path when
  // that fits the dialog's buffer.
  fuzz::ClearScratch();
  const std::string file = fuzz::ScratchDir() + "/fuzz.env";
  if (!content.empty()) fuzz::WriteFile(file, content);
  const std::string windows_file = win::FromHostPath(file);
  fuzz::Check(envfile::SaveEntry(windows_file, key, path) == 1, "an entry is stored in a writable folder");
  std::unique_ptr<char[]> buffer(new char[kPathBufferSize]);
  int found = envfile::LoadEntry(windows_file, key, buffer.get(), kPathBufferSize);
  if (key.find('\n') == std::string::npos && path.size() < kPathBufferSize) {
    fuzz::Check(found == 1, "a stored entry is found");
    fuzz::Check(std::memcmp(buffer.get(), path.data(), path.size()) == 0 && buffer[path.size()] == '\0',
                "the stored path comes back");
  }
  fuzz::Check(std::memchr(buffer.get(), '\0', kPathBufferSize) != nullptr, "a loaded path is terminated");
  return 0;
}
