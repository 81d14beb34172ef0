#include "verify/field_check.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "component/records.h"
#include "platform/cp932.h"
#include "verify/report.h"

namespace verify {

namespace {

constexpr std::string_view kOverLimitText = "************";
// Largest whole part of the currency type (a signed 64-bit count of
// ten-thousandths).
constexpr uint64_t kCurrencyWholeMax = 922337203685477ULL;

std::string Printf(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
std::string Printf(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

Verdict Problem(const char* label, std::string why) { return {Verdict::kProblem, std::move(why), label}; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether code page 932 assigns the character (one or two bytes, well
// formed): a table made once of what the conversion takes without loss,
// so that a field is not converted to find out.
bool Assigned(std::string_view character) {
  static const std::vector<bool> table = [] {
    std::vector<bool> assigned(1 << 16);
    for (unsigned code = 0; code < assigned.size(); ++code) {
      const char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
      const bool single = code < 0x100;
      const std::string_view c = single ? std::string_view(bytes + 1, 1) : std::string_view(bytes, 2);
      if (cp932::CharLength(c, 0) != c.size() || (single && code < 0x80)) continue;
      bool lossy = false;
      cp932::ToUtf8(c, &lossy);
      assigned[code] = !lossy;
    }
    return assigned;
  }();
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(character[i]); };
  if (character.size() == 1) return byte(0) < 0x80 || table[byte(0)];
  return table[byte(0) << 8 | byte(1)];
}

// A number text taken apart: optional "-", whole digits, optional "." and
// fraction digits. False when the text has any other shape.
struct Number {
  bool negative = false;
  std::string_view whole;
  bool point = false;
  std::string_view fraction;
};
bool Parse(std::string_view text, Number* n) {
  size_t i = 0;
  if (i < text.size() && text[i] == '-') {
    n->negative = true;
    ++i;
  }
  const size_t whole_start = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  n->whole = text.substr(whole_start, i - whole_start);
  if (i < text.size() && text[i] == '.') {
    n->point = true;
    const size_t fraction_start = ++i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    n->fraction = text.substr(fraction_start, i - fraction_start);
  }
  return i == text.size() && !n->whole.empty();
}

// The value of a digit run, or false when it exceeds limit.
bool ValueAtMost(std::string_view digits, uint64_t limit, uint64_t* value) {
  uint64_t v = 0;
  for (char c : digits) {
    const uint64_t d = static_cast<uint64_t>(c - '0');
    if (v > (limit - d) / 10) return false;
    v = v * 10 + d;
  }
  *value = v;
  return true;
}

Verdict OverWidth(const StTAFORMAT& f, std::string_view text, size_t digits) {
  if (digits <= static_cast<size_t>(f.width)) return {};
  return {Verdict::kOverWidth,
          Quoted(text) +
              Printf(" has %zu digits, more than the %d the column takes", digits, static_cast<int>(f.width)),
          "digits"};
}

Verdict CheckInteger(const StTAFORMAT& f, Role role, std::string_view text) {
  Number n;
  if (!Parse(text, &n) || n.point || (n.negative && f.type == 2)) {
    return Problem("whole number", Quoted(text) + " is not a whole number");
  }
  const int bits = f.size == 1 ? 8 : f.size == 2 ? 16 : 32;
  const uint64_t half = uint64_t{1} << (bits - 1);
  const uint64_t limit = f.type == 2 ? 2 * half - 1 : n.negative ? half : half - 1;
  uint64_t value = 0;
  if (!ValueAtMost(n.whole, limit, &value)) {
    return Problem("number range",
                   Quoted(text) + Printf(" lies beyond the %d-bit number of the column", bits));
  }
  if (role == Role::kDate && !IsDateText(text))
    return Problem("date", Quoted(text) + " is not a date (yyyymmdd, or 0)");
  return OverWidth(f, text, n.whole.size());
}

Verdict CheckCurrency(const StTAFORMAT& f, std::string_view text) {
  Number n;
  const size_t decimals = f.decimals > 0 ? static_cast<size_t>(f.decimals) : 0;
  if (!Parse(text, &n) || n.point != (decimals > 0) || n.fraction.size() != decimals) {
    return Problem("decimals", Quoted(text) + Printf(" is not a number with %zu decimals", decimals));
  }
  uint64_t value = 0;
  if (!ValueAtMost(n.whole, kCurrencyWholeMax, &value)) {
    return Problem("currency range", Quoted(text) + " lies beyond the currency range");
  }
  return OverWidth(f, text, n.whole.size());
}

Verdict CheckAmount(std::string_view text) {
  if (text == kOverLimitText) return {Verdict::kOverLimit, {}, "over limit"};
  Number n;
  if (!Parse(text, &n) || n.point) return Problem("amount", Quoted(text) + " is not an amount in whole yen");
  if (text.size() > 11) {
    return Problem(
        "amount length",
        Quoted(text) + Printf(" has %zu characters; an amount has at most 11 (10 digits and the sign "
                              "when negative)",
                              text.size()));
  }
  return {};
}

// A spreadsheet runs a cell that starts with one of these as a formula,
// unless it reads as a number ("-12" is one).
Verdict FormulaWarning(std::string_view text) {
  const char first = text[0];
  if (first != '=' && first != '+' && first != '-' && first != '@') return {};
  Number n;
  if (first != '=' && first != '@' && Parse(text.substr(first == '+' ? 1 : 0), &n)) return {};
  return {Verdict::kFormula,
          Quoted(text) + " starts with " + Quoted(text.substr(0, 1)) +
              ": a spreadsheet that opens the file runs it as a formula",
          "formula"};
}

}  // namespace

std::string_view ItemName(const StTAFORMAT& format) {
  return cp932::FieldText(format.name, sizeof format.name);
}

Role RoleOf(const StTAFORMAT& format, bool table_has_amounts) {
  const std::string_view name = ItemName(format);
  if (format.type != 0 && format.size == 4 && cp932::FindText(name, "年月日") != std::string_view::npos) {
    return Role::kDate;
  }
  if (table_has_amounts && format.type == 0 && format.width == 12) return Role::kAmount;
  return Role::kPlain;
}

std::string EncodingFault(std::string_view text) {
  bool plain = true;
  for (char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c >= 0x7F) {
      plain = false;
      break;
    }
  }
  if (plain) return {};
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    // No byte of a double-byte character lies below 0x40 or is 0x7F.
    if (c < 0x20 || c == 0x7F) return Printf("a control character (byte 0x%02X) at byte %zu", c, i + 1);
  }
  std::string copy(text);
  if (cp932::MakeValid(copy.data(), copy.size()) > 0) {
    size_t at = 0;
    while (copy[at] == text[at]) ++at;
    return Printf("byte 0x%02X at byte %zu is not part of a Shift_JIS character",
                  static_cast<unsigned char>(text[at]), at + 1);
  }
  for (size_t i = 0; i < text.size(); i += cp932::CharLength(text, i)) {
    if (!Assigned(text.substr(i, cp932::CharLength(text, i))))
      return "a double-byte code that code page 932 does not assign";
  }
  return {};
}

bool IsDateText(std::string_view text) {
  if (text == "0") return true;
  if (text.size() != 8) return false;
  int64_t date = 0;
  for (char c : text) {
    if (!IsDigit(c)) return false;
    date = date * 10 + (c - '0');
  }
  return date != 0 && IsRecordDate(date);
}

Verdict CheckField(const StTAFORMAT& f, Role role, std::string_view text) {
  if (text.empty()) {
    return f.required ? Problem("empty", "empty, but the column must hold a value") : Verdict{};
  }
  // One pass tells the common field (printable ASCII) from the rest.
  // Quote bytes lie below 0x40, so they are never part of a double-byte
  // character.
  bool plain = true;
  bool quote = false;
  for (char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x40) {
      plain &= c >= 0x20;
      quote |= c == '"' || c == '\'';
    } else {
      plain &= c < 0x7F;
    }
  }
  if (!plain) {
    if (std::string fault = EncodingFault(text); !fault.empty()) return Problem("encoding", std::move(fault));
  }
  if (quote) {
    return Problem("quote", Quoted(text) +
                                " holds a quote character, which a reader takes for the start of a quoted "
                                "field");
  }
  if (f.type == 0) {
    if (text.size() > static_cast<size_t>(f.width)) {
      return Problem("width", Quoted(text) + Printf(" has %zu bytes, more than the %d the column takes",
                                                    text.size(), static_cast<int>(f.width)));
    }
    if (role == Role::kAmount) return CheckAmount(text);
    return FormulaWarning(text);
  }
  if (f.type != 1 && f.type != 2) return {};
  if (f.size == 8) return CheckCurrency(f, text);
  return CheckInteger(f, role, text);
}

}  // namespace verify
