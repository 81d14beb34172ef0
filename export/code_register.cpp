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

bool CodeRegister::Contains(std::string_view code, uint64_t hash) const {
  const Shard& shard = shards_[ShardOf(hash)];
  size_t mask = shard.slots.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    uint32_t slot = shard.slots[i];
    if (slot == 0) return false;
    if (Text(slot - 1) == code) return true;
  }
}

void CodeRegister::Insert(Shard& shard, uint32_t reference, uint64_t hash) {
  size_t mask = shard.slots.size() - 1;
  size_t i = hash & mask;
  while (shard.slots[i] != 0) i = (i + 1) & mask;
  shard.slots[i] = reference + 1;
}

void CodeRegister::Grow(Shard& shard) {
  std::vector<uint32_t> old;
  old.swap(shard.slots);
  shard.slots.assign(old.size() * 2, 0);
  for (uint32_t slot : old) {
    if (slot != 0) Insert(shard, slot - 1, Hash(Text(slot - 1)));
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
  Insert(shard, Store(code), hash);
  ++shard.count;
  ++size_;
  return kAdded;
}
