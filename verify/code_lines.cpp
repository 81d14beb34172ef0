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
  const size_t mask = slots_.size() - 1;
  size_t i = static_cast<size_t>((key * 0x9E3779B97F4A7C15ULL) >> 32) & mask;
  while (slots_[i].line != 0 && slots_[i].key != key) i = (i + 1) & mask;
  return i;
}

int64_t CodeLines::Add(uint64_t key, int64_t line) {
  if (2 * (used_ + 1) > slots_.size()) Grow();
  Slot& slot = slots_[SlotOf(key)];
  if (slot.line != 0) return slot.line;
  slot = {key, line};
  ++used_;
  return line;
}

int64_t CodeLines::Find(uint64_t key) const { return slots_.empty() ? 0 : slots_[SlotOf(key)].line; }

void CodeLines::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(std::max<size_t>(1024, 2 * old.size()), Slot{});
  for (const Slot& s : old) {
    if (s.line != 0) slots_[SlotOf(s.key)] = s;
  }
}

}  // namespace verify
