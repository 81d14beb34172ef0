// CodeLines: the codes of column 1 met so far, each with the line it was
// first met on. A code has at most 8 bytes, so it is kept as an 8-byte key
// in an open-addressing table with its line beside it: 12 bytes a slot and
// no allocation of its own, the only memory of the check that grows with
// the file.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace verify {

class CodeLines {
 public:
  // The key of a code of 1 to 8 bytes (no NUL byte): its bytes.
  static uint64_t Key(std::string_view code);

  // The line key was first met on; when it is new, line is recorded for it
  // and returned. line must be above 0 (lines past 4,294,967,295 are kept as
  // that).
  int64_t Add(uint64_t key, int64_t line);
  // The line key was first met on; 0 when it was not met.
  int64_t Find(uint64_t key) const;

  size_t size() const { return used_; }

 private:
  size_t SlotOf(uint64_t key) const;
  void Grow();

  // Slot i holds keys_[i] first met on lines_[i]; line 0 marks it empty.
  std::vector<uint64_t> keys_;
  std::vector<uint32_t> lines_;
  size_t used_ = 0;
};

}  // namespace verify
