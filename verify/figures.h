// Figures of the control sheet: for each line of the sheet (asset type and
// method) the number of assets and of breakdown rows and the sums of four
// amounts, counted from the asset data file's rows (FileTally) or from the
// store (store_figures.h). Money is whole yen in 128-bit integers, so that no
// sum over any number of rows overflows and nothing is ever rounded.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace verify {

using Yen = __int128;

// The four amounts the sheet sums, and their columns (1-based).
enum Figure { kAcquisitionCost, kOpeningBookValue, kCurrentDepreciation, kClosingBookValue, kFigureCount };
inline constexpr long kFigureColumns[kFigureCount] = {23, 42, 67, 81};

// What column 5 of a breakdown row holds.
inline constexpr std::string_view kLumpSumMethod = "一括決算";
// What an amount column holds for an amount over the digit limit.
inline constexpr std::string_view kOverLimitText = "************";

struct Amount {
  Yen sum = 0;             // of the amounts that are known on this side
  long over_limit = 0;     // amounts over the digit limit, not in sum
  Yen over_limit_sum = 0;  // their whole yen: known in the store only
  long unreadable = 0;     // file only: fields that hold no amount (the check names them)
};

struct Figures {
  long assets = 0;          // ordinary rows; lump-sum assets with at least one breakdown row
  long breakdown_rows = 0;  // rows of lump-sum items
  Amount amounts[kFigureCount];

  void Add(const Figures& other);
};

// A line of the sheet: the asset type code as column 3 holds it (breakdown
// rows carry none, so theirs is empty) and the method text of column 5. CP932.
struct GroupKey {
  std::string type, method;
  auto operator<=>(const GroupKey&) const = default;
};
using FigureTable = std::map<GroupKey, Figures>;

// An asset data row by its code (column 1, at most 8 bytes, as CodeLines
// keys it) and the line of the sheet it counts on.
struct CodedRow {
  uint64_t code = 0;
  const GroupKey* group = nullptr;  // a key of the side's FigureTable
};

// What one side holds: the figures, every row's code, and the names of the
// asset types (type code as column 3 holds it -> name as syurui.SSC holds it).
struct Side {
  Side() = default;
  Side(const Side&) = delete;  // it keeps an iterator into its table
  Side& operator=(const Side&) = delete;

  FigureTable table;
  std::vector<CodedRow> codes;
  std::map<std::string, std::string> type_names;

  // The figures of the line of type and method, made on first use; the
  // row's code is noted with it.
  Figures& Count(std::string_view type, std::string_view method, std::string_view code);
  // Sorts codes by code, then line.
  void SortCodes();

 private:
  FigureTable::iterator last_ = table.end();
};

// The code's text from its key.
std::string CodeText(uint64_t code);

// Adds the whole yen of an amount text of the file ("", "-123", "************")
// to amount.
void AddAmountText(std::string_view text, Amount* amount);

// Sums the rows of an asset data file, fed by the check one row of 151
// fields at a time.
class FileTally {
 public:
  void Row(const std::vector<std::string_view>& fields);
  Side& side() { return side_; }

 private:
  Side side_;
};

// Whole yen as decimal digits, "-" first when negative; grouped by three
// with "," when grouped is set.
std::string YenText(Yen value, bool grouped = false);

}  // namespace verify
