// Value formatting of the asset export: amounts to the whole-yen text of an
// amount column, the exact working decimal, reals to amounts, the quantity
// text of an asset split into quantity and unit, and the code character test.
// Nothing here holds state or allocates; remarks go to the caller's sink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Length of a text for printf's "%.*s".
inline int PrintLength(std::string_view text) { return static_cast<int>(text.size()); }

// Receives one finished remark of the error log.
class RemarkSink {
 public:
  virtual ~RemarkSink() = default;
  virtual void Remark(const char* text) = 0;
};

// Text of an amount column: at most 12 bytes and the terminator.
constexpr size_t kAmountTextSize = 13;
// What an amount column holds when the amount has too many digits.
inline constexpr char kAmountOverflowText[] = "************";

// Logs the amount error for a whole-yen text.
void LogAmountError(std::string_view whole_yen, RemarkSink* log);

// Logs the amount error for a real value that lies beyond the decimal range
// (its whole part, or "inf").
void LogRealOutOfRange(double value, RemarkSink* log);

// Logs the quantity warning for a quantity of 1,000,000 or more.
void LogQuantityWarning(double quantity, RemarkSink* log);

// Writes the whole yen of amount (ten-thousandths, cut toward zero) into out:
// empty for 0, twelve asterisks and the amount error when the amount lies
// beyond 99,999,999,999 yen or below -9,999,999,999 yen.
void FormatAmount(int64_t amount, char (&out)[kAmountTextSize], RemarkSink* log);

// Decimal digits of the whole yen of a value counted in ten-thousandths, cut
// toward zero, "-" only when that whole part is negative. out must hold 42
// bytes. Returns the length.
size_t WholeYenText(__int128 ten_thousandths, char* out);

// Exact working decimal with four places. Its range is below 10^14 units.
struct Decimal {
  int16_t sign = 1;       // +1 or -1; zero is always +1
  uint64_t integer = 0;   // whole units of the magnitude
  uint32_t fraction = 0;  // ten-thousandths of the magnitude, 0..9999

  static Decimal FromAmount(int64_t amount);
  int64_t ToAmount() const;
  // Signed value in ten-thousandths, exact for any Decimal.
  __int128 Value() const;

  // a + b. False (out untouched) when the sum is 10^14 units or more in
  // magnitude.
  static bool Add(const Decimal& a, const Decimal& b, Decimal* out);
  // a / b rounded half up on the fifth decimal. False when b is zero or
  // the quotient leaves the range.
  static bool Divide(const Decimal& a, const Decimal& b, Decimal* out);
};

// A real number as an amount, rounded half up to four places. False when
// its magnitude is 10^14 or more, or it is not a number.
bool AmountFromReal(double value, int64_t* amount);

// Result of splitting an asset's quantity text.
struct QuantitySplit {
  int64_t quantity = 0;   // two decimals, as an amount
  bool in_range = true;   // false: the number is 10^14 or more in magnitude
  bool warn = false;      // the quantity warning applies
  double value = 0;       // the number read, for the remarks
  std::string_view unit;  // the unit: a view into the text given
};
// Splits quantity text q into number and unit (see the asset row rules).
// Logs the quantity warning, or the amount error when the number is out of
// range; the caller writes the columns.
QuantitySplit SplitQuantity(std::string_view q, RemarkSink* log);

// text without "," and " ", written to out (capacity cap, terminated, cut
// at cap - 1). Returns the length.
size_t StripNumberText(std::string_view text, char* out, size_t cap);

// True when every byte is 0-9, A-Z or a-z (an empty text passes).
bool CheckChars(std::string_view text);

// text right-aligned in width bytes, filled with "0" on the left ("%06s"
// style); a longer text is copied whole. out must hold
// max(width, text.size()) + 1 bytes. Returns the length.
size_t ZeroPadLeft(std::string_view text, size_t width, char* out);

// The code part of a column: the last whole characters of text of at most
// width bytes, right-aligned in width bytes and filled with "0" ("123" gives
// "000123" for 6). out must hold width + 1 bytes. Returns the length.
size_t CodePart(std::string_view text, size_t width, char* out);

// The comma-separated files have no quoting, so a value must never carry a
// separator or a line end, nor a byte that a Shift_JIS reader would join with
// the separator after it. OneLine makes the text valid Shift_JIS (a byte
// outside any character becomes "?") and turns control characters (CR, LF,
// tab, ...) into blanks; OneField also turns "," into the half-width "､"
// (0xA4). Both keep every byte count (control characters and "," lie below
// 0x40, where no byte of a double-byte character does), so cuts and remarks
// are unchanged.
void OneLine(char* text, size_t n);
void OneField(char* text, size_t n);
