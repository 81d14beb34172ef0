#include "export/code_register.h"

namespace {

constexpr size_t kInitialSlots = 4096;  // power of two

uint64_t Hash(std::string_view text) {
  uint64_t h = 14695981039346656037ULL;  // FNV-1a
  for (char c : text) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ULL;
  }
  return h;
}

}  // namespace

CodeRegister::CodeRegister() : slots_(kInitialSlots, 0) {
  arena_.reserve(kInitialSlots * 4);
  entries_.reserve(kInitialSlots / 2);
}

bool CodeRegister::Contains(std::string_view code, uint64_t hash) const {
  size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    uint32_t slot = slots_[i];
    if (slot == 0) return false;
    if (Text(entries_[slot - 1]) == code) return true;
  }
}

void CodeRegister::Insert(uint32_t index, uint64_t hash) {
  size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  while (slots_[i] != 0) i = (i + 1) & mask;
  slots_[i] = index + 1;
}

void CodeRegister::Grow() {
  std::vector<uint32_t> old;
  old.swap(slots_);
  slots_.assign(old.size() * 2, 0);
  for (uint32_t slot : old) {
    if (slot != 0) Insert(slot - 1, Hash(Text(entries_[slot - 1])));
  }
}

CodeRegister::Result CodeRegister::RegisterCode(std::string_view code) {
  uint64_t hash = Hash(code);
  if (Contains(code, hash)) return kDuplicate;
  if (code.size() > 6) {
    std::string_view prefix = code.substr(0, 6);
    if (Contains(prefix, Hash(prefix))) return kPrefixDuplicate;
  }
  // Keep the table at most half full.
  if ((entries_.size() + 1) * 2 > slots_.size()) Grow();
  Entry e{static_cast<uint32_t>(arena_.size()), static_cast<uint32_t>(code.size())};
  arena_.insert(arena_.end(), code.begin(), code.end());
  entries_.push_back(e);
  Insert(static_cast<uint32_t>(entries_.size() - 1), hash);
  return kAdded;
}
