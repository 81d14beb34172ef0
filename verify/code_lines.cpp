#include "verify/code_lines.h"

#include <algorithm>
#include <cstring>

namespace verify {

uint64_t CodeLines::Key(std::string_view code) {
  uint64_t key = 0;
  std::memcpy(&key, code.data(), std::min(code.size(), sizeof key));
  return key;
}

// The slot that holds key, or the empty slot where it belongs (linear
// probing; the table is never more than half full).
size_t CodeLines::SlotOf(uint64_t key) const {
  const size_t mask = keys_.size() - 1;
  size_t i = static_cast<size_t>((key * 0x9E3779B97F4A7C15ULL) >> 32) & mask;
  while (lines_[i] != 0 && keys_[i] != key) i = (i + 1) & mask;
  return i;
}

int64_t CodeLines::Add(uint64_t key, int64_t line) {
  if (2 * (used_ + 1) > keys_.size()) Grow();
  const size_t i = SlotOf(key);
  if (lines_[i] != 0) return lines_[i];
  keys_[i] = key;
  lines_[i] = static_cast<uint32_t>(std::min<int64_t>(line, UINT32_MAX));  // 4G lines: beyond any real file
  ++used_;
  return line;
}

int64_t CodeLines::Find(uint64_t key) const {
  if (keys_.empty()) return 0;
  return lines_[SlotOf(key)];
}

void CodeLines::Grow() {
  std::vector<uint64_t> keys = std::move(keys_);
  std::vector<uint32_t> lines = std::move(lines_);
  const size_t size = std::max<size_t>(1024, 2 * keys.size());
  keys_.assign(size, 0);
  lines_.assign(size, 0);
  for (size_t i = 0; i < keys.size(); ++i) {
    if (lines[i] == 0) continue;
    const size_t slot = SlotOf(keys[i]);
    keys_[slot] = keys[i];
    lines_[slot] = lines[i];
  }
}

}  // namespace verify
