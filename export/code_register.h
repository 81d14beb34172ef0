// The asset code register: every code written in the run, so that a code
// written twice is reported. Answers in constant time: the codes live in one
// growing arena and an open-addressing hash table indexes them, so a
// registration allocates only when the arena or the table doubles.
#pragma once

#include <cstdint>
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

  size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    uint32_t offset;
    uint32_t length;
  };
  bool Contains(std::string_view code, uint64_t hash) const;
  void Insert(uint32_t index, uint64_t hash);
  void Grow();
  std::string_view Text(const Entry& e) const {
    return std::string_view(arena_.data() + e.offset, e.length);
  }

  std::vector<char> arena_;       // entry texts, back to back
  std::vector<Entry> entries_;    // in registration order
  std::vector<uint32_t> slots_;   // index + 1 into entries_, 0 = empty
};
