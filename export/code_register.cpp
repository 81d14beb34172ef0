#include "export/code_register.h"

#include <cstring>

namespace {

constexpr size_t kInitialSlots = 16;  // per shard, a power of two

uint64_t Hash(std::string_view text) {
  uint64_t h = 14695981039346656037ULL;  // FNV-1a
  for (char c : text) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ULL;
  }
  return h;
}

// The shard takes the hash's top bits, the slot within it the low bits.
size_t ShardOf(uint64_t hash) { return static_cast<size_t>(hash >> 56); }

}  // namespace

CodeRegister::CodeRegister() {
  for (Shard& shard : shards_) shard.slots.assign(kInitialSlots, 0);
}

std::string_view CodeRegister::Text(uint32_t reference) const {
  const char* at = blocks_[reference / kBlockSize].get() + reference % kBlockSize;
  uint32_t length;
  std::memcpy(&length, at, sizeof length);
  return std::string_view(at + sizeof length, length);
}

uint32_t CodeRegister::Store(std::string_view code) {
  const size_t need = sizeof(uint32_t) + code.size();
  if (used_ + need > kBlockSize) {
    // A text longer than a block gets a block of its own.
    blocks_.emplace_back(new char[need > kBlockSize ? need : kBlockSize]);
    used_ = 0;
  }
  uint32_t reference = static_cast<uint32_t>((blocks_.size() - 1) * kBlockSize + used_);
  char* at = blocks_.back().get() + used_;
  uint32_t length = static_cast<uint32_t>(code.size());
  std::memcpy(at, &length, sizeof length);
  std::memcpy(at + sizeof length, code.data(), code.size());
  used_ = need > kBlockSize ? kBlockSize : used_ + need;
  return reference;
}

CodeRegister::Slot CodeRegister::Key(std::string_view code, uint64_t hash) {
  constexpr size_t kInline = 7;
  if (code.size() > kInline) return 1 | ((hash >> 32) & 0xFFFFFF) << 8;
  Slot key = 0x80 | code.size();
  for (size_t i = 0; i < code.size(); ++i) key |= Slot{static_cast<unsigned char>(code[i])} << (8 * (i + 1));
  return key;
}

std::string_view CodeRegister::CodeOf(Slot slot, char (&buffer)[8]) const {
  if ((slot & 0x80) == 0) return Text(static_cast<uint32_t>(slot >> 32));
  size_t n = slot & 0x7F;
  for (size_t i = 0; i < n; ++i) buffer[i] = static_cast<char>(slot >> (8 * (i + 1)));
  return std::string_view(buffer, n);
}

bool CodeRegister::Contains(std::string_view code, uint64_t hash) const {
  const Shard& shard = shards_[ShardOf(hash)];
  const Slot key = Key(code, hash);
  const bool inline_key = (key & 0x80) != 0;
  size_t mask = shard.slots.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    Slot slot = shard.slots[i];
    if (slot == 0) return false;
    if (inline_key) {
      if (slot == key) return true;
    } else if ((slot & 0xFFFFFFFF) == key && Text(static_cast<uint32_t>(slot >> 32)) == code) {
      return true;
    }
  }
}

void CodeRegister::Insert(Shard& shard, Slot slot, uint64_t hash) {
  size_t mask = shard.slots.size() - 1;
  size_t i = hash & mask;
  while (shard.slots[i] != 0) i = (i + 1) & mask;
  shard.slots[i] = slot;
}

void CodeRegister::Grow(Shard& shard) {
  std::vector<Slot> old;
  old.swap(shard.slots);
  shard.slots.assign(old.size() * 2, 0);
  char buffer[8];
  for (Slot slot : old) {
    if (slot != 0) Insert(shard, slot, Hash(CodeOf(slot, buffer)));
  }
}

CodeRegister::Result CodeRegister::RegisterCode(std::string_view code) {
  uint64_t hash = Hash(code);
  if (Contains(code, hash)) return kDuplicate;
  if (code.size() > 6) {
    std::string_view prefix = code.substr(0, 6);
    if (Contains(prefix, Hash(prefix))) return kPrefixDuplicate;
  }
  Shard& shard = shards_[ShardOf(hash)];
  // Keep each table at most 5/8 full.
  if ((shard.count + 1) * 8 > shard.slots.size() * 5) Grow(shard);
  Slot slot = Key(code, hash);
  if ((slot & 0x80) == 0) slot |= Slot{Store(code)} << 32;
  Insert(shard, slot, hash);
  ++shard.count;
  ++size_;
  return kAdded;
}
