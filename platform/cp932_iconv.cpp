// Conversions between CP932 and UTF-8 at the program's edges, through
// glibc's iconv.
#include <iconv.h>

#include <cerrno>
#include <mutex>

#include "platform/cp932.h"

namespace cp932 {

namespace {

// One converter per direction, opened on first use and kept; its shift state
// is reset on every call.
std::string Convert(const char* to, const char* from, std::string_view in, bool* lossy) {
  static std::mutex mu;
  static iconv_t to_utf8 = reinterpret_cast<iconv_t>(-1);
  static iconv_t from_utf8 = reinterpret_cast<iconv_t>(-1);
  std::lock_guard<std::mutex> lock(mu);
  iconv_t& cd = std::string_view(from) == "UTF-8" ? from_utf8 : to_utf8;
  if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open(to, from);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (lossy) *lossy = false;
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    if (lossy) *lossy = true;
    return std::string(in);
  }
  std::string out;
  out.resize(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char* dst = out.data();
  size_t dst_left = out.size();
  while (src_left > 0) {
    size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      size_t used = out.size() - dst_left;
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dst_left = out.size() - used;
      continue;
    }
    // An invalid or incomplete sequence: replace one input unit by "?".
    if (lossy) *lossy = true;
    if (dst_left == 0) {
      size_t used = out.size();
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dst_left = out.size() - used;
    }
    *dst++ = '?';
    --dst_left;
    // Skip one whole UTF-8 sequence, or one byte (two for a CP932 lead byte).
    size_t skip = 1;
    unsigned char c = static_cast<unsigned char>(*src);
    if (std::string_view(from) == "UTF-8") {
      while (skip < src_left && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) ++skip;
    } else if (IsLeadByte(c) && src_left > 1) {
      skip = 2;
    }
    src += skip;
    src_left -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(out.size() - dst_left);
  return out;
}

}  // namespace

std::string ToUtf8(std::string_view text, bool* lossy) { return Convert("UTF-8", "CP932", text, lossy); }
std::string FromUtf8(std::string_view text, bool* lossy) { return Convert("CP932", "UTF-8", text, lossy); }

namespace {

// One converter per thread (an asset walk reads ahead on a thread of its
// own), kept open and closed when the thread ends.
struct Converter {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  ~Converter() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};

}  // namespace

// Through a buffer on the stack. Only the first size bytes of the CP932 text
// decide the cut; the rest is still converted, to tell whether a character
// was lost.
bool FromUtf8Into(std::string_view in, char* field, size_t size) {
  static thread_local Converter converter;
  iconv_t cd = converter.cd;
  char out[1024];
  if (cd == reinterpret_cast<iconv_t>(-1) || size + 4 > sizeof(out)) {
    bool lossy = false;
    CopyCut(field, size, FromUtf8(in, &lossy));
    return lossy;
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char* dst = out;
  size_t dst_left = sizeof(out);
  bool lossy = false, overflowed = false;
  while (src_left > 0) {
    if (iconv(cd, &src, &src_left, &dst, &dst_left) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG || dst_left == 0) {
      // Keep the first size bytes; convert the rest over the bytes after them.
      overflowed = true;
      dst = out + size;
      dst_left = sizeof(out) - size;
      if (errno == E2BIG) continue;
    }
    // An invalid or incomplete sequence, or a character without a CP932
    // form: one "?" for the whole UTF-8 sequence.
    lossy = true;
    *dst++ = '?';
    --dst_left;
    size_t skip = 1;
    while (skip < src_left && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) ++skip;
    src += skip;
    src_left -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  CopyCut(field, size, std::string_view(out, overflowed ? size : static_cast<size_t>(dst - out)));
  return lossy;
}

}  // namespace cp932
