#include "export/value_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/cp932.h"

namespace {

constexpr __int128 kDecimalLimit = static_cast<__int128>(1000000000000000000LL);  // 10^18 ten-thousandths
constexpr double kRealLimit = 1e14;

}  // namespace

void LogAmountError(std::string_view whole_yen, RemarkSink* log) {
  if (log == nullptr) return;
  char remark[256];
  std::snprintf(remark, sizeof remark, "\n＜ERROR＞\n金額｢%.*s｣は、連携可能最大桁数をオーバーしています。",
                static_cast<int>(whole_yen.size()), whole_yen.data());
  log->Remark(remark);
}

void LogRealOutOfRange(double value, RemarkSink* log) {
  char whole[400];  // the largest double has 309 digits
  if (std::isfinite(value)) {
    std::snprintf(whole, sizeof whole, "%.0f", std::trunc(value));
  } else {
    std::snprintf(whole, sizeof whole, "%s", value < 0 ? "-inf" : "inf");
  }
  LogAmountError(whole, log);
}

void LogQuantityWarning(double quantity, RemarkSink* log) {
  if (log == nullptr) return;
  char remark[256];
  std::snprintf(remark, sizeof remark,
                "\n＜WARNING＞\n数量｢%.2f｣は、連携可能最大桁数をオーバーしています。\n"
                "減価償却データが、正しく連携されない可能性があります。",
                quantity);
  log->Remark(remark);
}

size_t WholeYenText(__int128 ten_thousandths, char* out) {
  if (ten_thousandths >= INT64_MIN && ten_thousandths <= INT64_MAX) {
    // Every amount of a record: 64-bit division and digits are many times
    // cheaper than 128-bit ones.
    int64_t w = static_cast<int64_t>(ten_thousandths) / 10000;  // cut toward zero
    uint64_t magnitude = w < 0 ? 0 - static_cast<uint64_t>(w) : static_cast<uint64_t>(w);
    char* p = out;
    if (w < 0) *p++ = '-';
    p = std::to_chars(p, out + 41, magnitude).ptr;
    *p = '\0';
    return static_cast<size_t>(p - out);
  }
  __int128 whole = ten_thousandths / 10000;  // cut toward zero
  bool negative = whole < 0;
  unsigned __int128 magnitude =
      negative ? -static_cast<unsigned __int128>(whole) : static_cast<unsigned __int128>(whole);
  char digits[41];
  size_t n = 0;
  do {
    digits[n++] = static_cast<char>('0' + static_cast<int>(magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  size_t len = 0;
  if (negative) out[len++] = '-';
  while (n > 0) out[len++] = digits[--n];
  out[len] = '\0';
  return len;
}

void FormatAmount(int64_t amount, char (&out)[kAmountTextSize], RemarkSink* log) {
  if (amount > 999999999990000LL || amount < -99999999990000LL) {
    char whole[42];
    size_t n = WholeYenText(amount, whole);
    LogAmountError(std::string_view(whole, n), log);
    std::memcpy(out, kAmountOverflowText, sizeof kAmountOverflowText);
    return;
  }
  if (amount == 0) {
    out[0] = '\0';
    return;
  }
  WholeYenText(amount, out);  // at most 11 characters within the limits
}

Decimal Decimal::FromAmount(int64_t amount) {
  Decimal d;
  d.sign = amount < 0 ? -1 : 1;
  uint64_t magnitude = amount < 0 ? 0 - static_cast<uint64_t>(amount) : static_cast<uint64_t>(amount);
  d.integer = magnitude / 10000;
  d.fraction = static_cast<uint32_t>(magnitude % 10000);
  return d;
}

__int128 Decimal::Value() const {
  __int128 magnitude = static_cast<__int128>(integer) * 10000 + fraction;
  return sign < 0 ? -magnitude : magnitude;
}

int64_t Decimal::ToAmount() const { return static_cast<int64_t>(Value()); }

bool Decimal::Add(const Decimal& a, const Decimal& b, Decimal* out) {
  __int128 sum = a.Value() + b.Value();
  if (sum >= kDecimalLimit || sum <= -kDecimalLimit) return false;
  *out = FromAmount(static_cast<int64_t>(sum));
  return true;
}

bool Decimal::Divide(const Decimal& a, const Decimal& b, Decimal* out) {
  unsigned __int128 n = static_cast<unsigned __int128>(a.integer) * 10000 + a.fraction;
  unsigned __int128 d = static_cast<unsigned __int128>(b.integer) * 10000 + b.fraction;
  if (d == 0) return false;
  unsigned __int128 q = n / d;
  unsigned __int128 r = n % d;
  uint64_t t = 0;
  if (r != 0) {
    for (int i = 0; i < 5; ++i) {
      t = t * 10 + static_cast<uint64_t>((r * 10) / d);
      r = (r * 10) % d;
    }
  }
  uint64_t f = (t + 5) / 10;
  if (f >= 10000) {
    q += 1;
    f -= 10000;
  }
  if (q >= static_cast<unsigned __int128>(100000000000000ULL)) return false;  // 10^14 units
  Decimal result;
  result.integer = static_cast<uint64_t>(q);
  result.fraction = static_cast<uint32_t>(f);
  bool zero = result.integer == 0 && result.fraction == 0;
  result.sign = zero ? 1 : static_cast<int16_t>(a.sign * b.sign);
  *out = result;
  return true;
}

bool AmountFromReal(double value, int64_t* amount) {
  if (!std::isfinite(value)) return false;
  int64_t s = value < 0 ? -1 : 1;
  double m = std::fabs(value);
  if (m >= kRealLimit) return false;
  int64_t i = static_cast<int64_t>(m);
  int64_t f5 = static_cast<int64_t>((m - static_cast<double>(i)) * 100000);
  int64_t f = (f5 + 5) / 10;
  *amount = s * (i * 10000 + f);
  return true;
}

size_t StripNumberText(std::string_view text, char* out, size_t cap) {
  size_t n = 0;
  if (cap == 0) return 0;
  for (char c : text) {
    if (c == ',' || c == ' ') continue;
    if (n + 1 >= cap) break;
    out[n++] = c;
  }
  out[n] = '\0';
  return n;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The leading number of text as the C library's atof reads a decimal one:
// leading white space skipped, optional sign, digits, optional "." and
// digits, optional exponent. 0 when there is none. Hexadecimal forms, "inf"
// and "nan" are not numbers here.
double LeadingNumber(const char* text) {
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  const char* p = text;
  if (*p == '+' || *p == '-') ++p;
  const char* digits = p;
  while (IsDigit(*p)) ++p;
  bool any = p != digits;
  if (*p == '.') {
    const char* frac = ++p;
    while (IsDigit(*p)) ++p;
    any = any || p != frac;
  }
  if (!any) return 0;
  if (*p == 'e' || *p == 'E') {
    const char* e = p + 1;
    if (*e == '+' || *e == '-') ++e;
    if (IsDigit(*e)) {
      while (IsDigit(*e)) ++e;
      p = e;
    }
  }
  char number[64];
  size_t len = static_cast<size_t>(p - text);
  if (len >= sizeof number) len = sizeof number - 1;  // the field is far shorter
  std::memcpy(number, text, len);
  number[len] = '\0';
  return std::strtod(number, nullptr);
}

}  // namespace

QuantitySplit SplitQuantity(std::string_view q, RemarkSink* log) {
  QuantitySplit result;
  size_t n = q.size();
  size_t u = 0;
  while (u < 4 && u < n && !IsDigit(q[n - 1 - u])) ++u;
  if (u > 0 && cp932::ByteKind(q, n - u) == 2) --u;
  result.unit = q.substr(n - u);
  std::string_view number = q.substr(0, n - u);
  if (number.empty()) return result;

  char stripped[64];
  StripNumberText(number, stripped, sizeof stripped);
  double v = LeadingNumber(stripped);
  result.value = v;

  double m = std::fabs(v);
  if (!std::isfinite(v) || m >= kRealLimit) {
    // Too large to carry: treated like an amount over the digit limit.
    result.in_range = false;
    LogRealOutOfRange(v, log);
    return result;
  }
  int64_t s = v < 0 ? -1 : 1;
  int64_t i = static_cast<int64_t>(m);
  int64_t f4 = (static_cast<int64_t>((m - static_cast<double>(i)) * 100000) + 5) / 10;
  int64_t f2 = ((f4 + 50) / 100) * 100;
  if (f2 == 10000) {
    i += 1;
    f2 = 0;
  }
  result.quantity = s * (i * 10000 + f2);
  if (static_cast<float>(v) >= 1000000.0f) {
    result.warn = true;
    LogQuantityWarning(v, log);
  }
  return result;
}

bool CheckChars(std::string_view text) {
  for (char c : text) {
    bool ok = IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    if (!ok) return false;
  }
  return true;
}

size_t ZeroPadLeft(std::string_view text, size_t width, char* out) {
  size_t fill = text.size() < width ? width - text.size() : 0;
  std::memset(out, '0', fill);
  std::memcpy(out + fill, text.data(), text.size());
  out[fill + text.size()] = '\0';
  return fill + text.size();
}

size_t CodePart(std::string_view text, size_t width, char* out) {
  size_t tail = cp932::TailLength(text, width);
  return ZeroPadLeft(text.substr(text.size() - tail), width, out);
}

namespace {

// First the double-byte check (a lone lead byte must not pair with the
// blank or "､" that a control character or separator after it becomes),
// then the single-byte characters.
// True when one of the eight bytes of word is a control character, or (for
// a field) a ",": the classic "has a byte below n" and "has a zero byte" word
// tests, exact in whether any byte matches.
bool AnyToClean(uint64_t word, bool field) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL, kHighs = 0x8080808080808080ULL;
  auto has_zero = [](uint64_t w) { return ((w - kOnes) & ~w & kHighs) != 0; };
  bool control = ((word - kOnes * 0x20) & ~word & kHighs) != 0 || has_zero(word ^ (kOnes * 0x7F));
  return control || (field && has_zero(word ^ (kOnes * ',')));
}

void CleanText(char* text, size_t n, bool field) {
  cp932::MakeValid(text, n);
  size_t i = 0;
  for (uint64_t word; i + 8 <= n; i += 8) {
    std::memcpy(&word, text + i, 8);
    if (AnyToClean(word, field)) break;
  }
  for (; i < n; ++i) {
    char c = text[i];
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      text[i] = ' ';  // CR, LF, tab and the other control characters
    } else if (field && c == ',') {
      text[i] = static_cast<char>(0xA4);
    }
  }
}

}  // namespace

void OneLine(char* text, size_t n) { CleanText(text, n, false); }

void OneField(char* text, size_t n) { CleanText(text, n, true); }
