// Checks of single values of the comma-separated files against their column
// format record (StTAFORMAT), the same records the export writes with. An
// empty field is always well formed: the writer leaves every column empty
// that does not apply to a row.
//
//   text      at most width bytes
//   integer   "-" and digits, within the 2 or 4 bytes of the record; more
//             digits than the width is a warning (the width counts digits)
//   currency  "-", digits and, with decimals, "." and exactly that many
//             digits; more whole digits than the width is a warning
//   amount    (a role of some text columns) "-" and digits, at most 11
//             characters; "************" is an amount over the digit limit
//   date      (a role of some integer columns) 0 or a calendar date yyyymmdd
//
// Every field, whatever its kind, must be Shift_JIS without control
// characters or quote characters (a reader takes a quote for the start of
// a quoted field). A text that starts with "=", "+", "-" or "@" and is not
// a number is a warning: a spreadsheet runs it as a formula.
#pragma once

#include <string>
#include <string_view>

#include "textio/textaccessor.h"

namespace verify {

enum class Role { kPlain, kAmount, kDate };

// The role of a column: dates are the integer columns whose item name says
// 年月日; amounts are the text columns 12 bytes wide when the table holds
// amounts (the asset rows do, the asset types do not).
Role RoleOf(const StTAFORMAT& format, bool table_has_amounts);

struct Verdict {
  enum Kind {
    kFine,
    kProblem,    // why says what is wrong
    kOverWidth,  // a number with more digits than the width (why says so)
    kOverLimit,  // the twelve asterisks of an amount over the digit limit
    kFormula,    // a text a spreadsheet takes for a formula (why says so)
  };
  Kind kind = kFine;
  std::string why;         // CP932
  const char* label = "";  // what kind of finding, for grouping repeats
};

Verdict CheckField(const StTAFORMAT& format, Role role, std::string_view text);

// Empty when every byte of text belongs to a Shift_JIS character that code
// page 932 has, and none is a control character; else why not.
std::string EncodingFault(std::string_view text);

// The item name of a column format record.
std::string_view ItemName(const StTAFORMAT& format);

// True for "0" and for yyyymmdd of a real calendar day (years 1000-9999).
bool IsDateText(std::string_view text);

}  // namespace verify
