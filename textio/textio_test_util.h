// Helpers shared by the text record library's tests: format entries, a
// record of raw bytes, and an accessor writing into or reading from a string.
#pragma once

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "textio/textaccessor.h"

namespace textio_test {

inline StTAFORMAT Column(const char* name, int32_t width, int32_t decimals, int32_t offset, int32_t size,
                         int32_t type, int32_t required = 0) {
  StTAFORMAT f{};
  std::strncpy(f.name, name, sizeof(f.name) - 1);
  f.width = width;
  f.decimals = decimals;
  f.offset = offset;
  f.size = size;
  f.type = type;
  f.required = required;
  return f;
}

// A record of raw bytes with typed setters and getters at byte offsets.
struct Record {
  std::vector<unsigned char> bytes;
  explicit Record(size_t size) : bytes(size, 0) {}
  void* data() { return bytes.data(); }
  template <typename T>
  void Put(size_t offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof(T));
  }
  template <typename T>
  T Get(size_t offset) const {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
  }
  void PutText(size_t offset, const char* text) {
    std::memcpy(bytes.data() + offset, text, std::strlen(text) + 1);
  }
  std::string Text(size_t offset) const { return reinterpret_cast<const char*>(bytes.data() + offset); }
};

// An accessor over a table and record with a string stream attached.
struct Fixture {
  std::vector<StTAFORMAT> table;
  Record record;
  std::stringstream stream;
  ClTextAccessor accessor;
  Fixture(std::vector<StTAFORMAT> columns, size_t recordSize, const std::string& input = "")
      : table(std::move(columns)),
        record(recordSize),
        stream(input),
        accessor(const_cast<char*>("TEST"), table.data(), static_cast<long>(table.size()), record.data()) {
    accessor.Attach(&stream);
  }
  std::string Output() const { return stream.str(); }
};

}  // namespace textio_test
