// The asset code register: every code written in the run, so that a code
// written twice is reported. Answers in constant time and keeps memory flat:
// 256 small open-addressing hash tables, each growing on its own, so a run
// of a million codes never holds an old and a new copy of a big table at
// once. A code of up to 7 bytes (asset codes are 6) lies in its slot itself,
// so a lookup reads one cache line and no text; a longer code lies in fixed
// blocks that are never moved, its slot holding its place and some bits of
// its hash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class CodeRegister {
 public:
  enum Result { kAdded = 0, kDuplicate = 1, kPrefixDuplicate = 2 };

  CodeRegister();

  // kDuplicate when an entry equals code; otherwise kPrefixDuplicate when
  // code is longer than 6 bytes and an entry equals its first 6 bytes;
  // otherwise the code is added (kAdded). Entries are compared byte for
  // byte. This is what a walk from the oldest entry gives: an entry of more
  // than 6 bytes is only ever added while no entry equals its first 6 bytes,
  // so an equal entry always comes before a prefix entry.
  Result RegisterCode(std::string_view code);

  size_t size() const { return size_; }

 private:
  static constexpr size_t kShards = 256;
  static constexpr size_t kBlockSize = 64 * 1024;
  // A slot: 0 is empty. A code of n <= 7 bytes is 0x80 | n in the low byte
  // and its bytes above it; a longer one is 1 in the low byte, 24 bits of
  // its hash above it and its reference into the blocks in the high half.
  using Slot = uint64_t;
  struct Shard {
    std::vector<Slot> slots;
    size_t count = 0;
  };

  // The slot of an inline code; for a longer code, the low half of its slot.
  static Slot Key(std::string_view code, uint64_t hash);
  bool Contains(std::string_view code, uint64_t hash) const;
  // Stores the text and returns its reference; the text of a reference.
  uint32_t Store(std::string_view code);
  std::string_view Text(uint32_t reference) const;
  // The code a slot holds; buffer receives an inline code's bytes.
  std::string_view CodeOf(Slot slot, char (&buffer)[8]) const;
  static void Insert(Shard& shard, Slot slot, uint64_t hash);
  void Grow(Shard& shard);

  // Each long code is its length (four bytes) and its bytes, within one
  // block.
  std::vector<std::unique_ptr<char[]>> blocks_;
  size_t used_ = kBlockSize;  // bytes used in the last block
  Shard shards_[kShards];
  size_t size_ = 0;
};
