// SHA-256 (FIPS 180-4) of a file, for the control sheet's header: whoever
// holds the files can show that they are the ones the sheet was made of.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace verify {

class Sha256 {
 public:
  Sha256();
  void Add(std::string_view data);
  // The digest as 64 lower-case hex digits; the object is spent after it.
  std::string Hex();

 private:
  void Block(const unsigned char* block);
  // blocks blocks of 64 bytes from p.
  void Blocks(const unsigned char* p, size_t blocks);

  uint32_t h_[8];
  unsigned char buffer_[64];
  size_t buffered_ = 0;
  uint64_t length_ = 0;  // bytes added
};

// The size and digest of the regular file at a host path; false (with why)
// when it is missing, no regular file or cannot be read.
bool DigestFile(const std::string& path, uint64_t* size, std::string* hex, std::string* why);

}  // namespace verify
