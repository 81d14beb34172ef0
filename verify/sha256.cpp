#include "verify/sha256.h"

#include "verify/line_reader.h"

#if defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "platform/host_file.h"
#include "platform/win.h"

namespace verify {

namespace {

constexpr uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

inline uint32_t Rotate(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

#if defined(__x86_64__)
// The processor's SHA instructions, where it has them, hash a file of a
// million assets (about 300 MB) in a fraction of the time the plain rounds
// take.
bool HasShaInstructions() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & (1u << 29)) != 0;
}

// State words as the instructions take them: ABEF and CDGH.
__attribute__((target("sha,sse4.1"))) void ShaBlocks(uint32_t* h, const unsigned char* p, size_t blocks) {
  const __m128i swap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  __m128i cdab = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h)), 0xB1);
  __m128i efgh = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h + 4)), 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
  for (; blocks > 0; --blocks, p += 64) {
    const __m128i abef_before = abef, cdgh_before = cdgh;
    __m128i w[4];  // the message schedule, four words a group, group g at g % 4
    for (int g = 0; g < 16; ++g) {
      if (g < 4) {
        w[g] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * g)), swap);
      } else {
        const __m128i sum = _mm_add_epi32(_mm_sha256msg1_epu32(w[g % 4], w[(g + 1) % 4]),
                                          _mm_alignr_epi8(w[(g + 3) % 4], w[(g + 2) % 4], 4));
        w[g % 4] = _mm_sha256msg2_epu32(sum, w[(g + 3) % 4]);
      }
      __m128i k = _mm_add_epi32(w[g % 4], _mm_loadu_si128(reinterpret_cast<const __m128i*>(kRound + 4 * g)));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, k);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(k, 0x0E));
    }
    abef = _mm_add_epi32(abef, abef_before);
    cdgh = _mm_add_epi32(cdgh, cdgh_before);
  }
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(h), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(h + 4), _mm_alignr_epi8(dchg, feba, 8));
}
#endif

}  // namespace

Sha256::Sha256()
    : h_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void Sha256::Block(const unsigned char* p) {
  uint32_t w[64];
  for (int i = 0; i < 16; ++i)
    w[i] =
        uint32_t{p[4 * i]} << 24 | uint32_t{p[4 * i + 1]} << 16 | uint32_t{p[4 * i + 2]} << 8 | p[4 * i + 3];
  for (int i = 16; i < 64; ++i) {
    const uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
    const uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  uint32_t a = h_[0], b = h_[1], c = h_[2], d = h_[3], e = h_[4], f = h_[5], g = h_[6], h = h_[7];
  for (int i = 0; i < 64; ++i) {
    const uint32_t t1 =
        h + (Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
    const uint32_t t2 = (Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  h_[0] += a, h_[1] += b, h_[2] += c, h_[3] += d, h_[4] += e, h_[5] += f, h_[6] += g, h_[7] += h;
}

void Sha256::Blocks(const unsigned char* p, size_t blocks) {
#if defined(__x86_64__)
  static const bool instructions = HasShaInstructions();
  if (instructions) {
    ShaBlocks(h_, p, blocks);
    return;
  }
#endif
  for (; blocks > 0; --blocks, p += 64) Block(p);
}

void Sha256::Add(std::string_view data) {
  length_ += data.size();
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  size_t n = data.size();
  if (buffered_ > 0) {
    const size_t take = std::min(n, sizeof buffer_ - buffered_);
    std::memcpy(buffer_ + buffered_, p, take);
    buffered_ += take;
    p += take;
    n -= take;
    if (buffered_ < sizeof buffer_) return;
    Blocks(buffer_, 1);
    buffered_ = 0;
  }
  Blocks(p, n / sizeof buffer_);
  p += n - n % sizeof buffer_;
  n %= sizeof buffer_;
  std::memcpy(buffer_, p, n);
  buffered_ = n;
}

std::string Sha256::Hex() {
  const uint64_t bits = length_ * 8;
  unsigned char pad[72] = {0x80};
  const size_t pad_bytes = (buffered_ < 56 ? 56 : 120) - buffered_;
  for (int i = 0; i < 8; ++i) pad[pad_bytes + i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
  Add(std::string_view(reinterpret_cast<const char*>(pad), pad_bytes + 8));
  std::string hex;
  for (uint32_t word : h_) {
    char part[9];
    std::snprintf(part, sizeof part, "%08x", word);
    hex += part;
  }
  return hex;
}

bool DigestFile(const std::string& path, uint64_t* size, std::string* hex, std::string* why) {
  std::error_code ec;
  if (!std::filesystem::exists(win::HostFsPath(path), ec)) {
    *why = "missing";
    return false;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenRegularFile(path, why), std::fclose);
  if (!file) return false;
  Sha256 sha;
  // Reads of 64 KiB keep up with the hash; a larger buffer only costs its
  // clearing on the small files.
  std::vector<char> buffer(1 << 16);
  *size = 0;
  for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0; *size += n)
    sha.Add(std::string_view(buffer.data(), n));
  if (std::ferror(file.get())) {
    *why = "a read error";
    return false;
  }
  *hex = sha.Hex();
  return true;
}

}  // namespace verify
