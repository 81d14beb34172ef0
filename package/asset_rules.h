// The rules of fixed-asset data: what the export can carry to the
// depreciation application and what is odd but possible. A record field may
// hold a value whole (columns.h) and the value still make no sense to the
// receiving side: an unknown method code exports an empty depreciation
// method, a straight-line asset without a useful life cannot be depreciated,
// a type code without its category has no row in the asset type file.
// `zelpkg import` and `zelpkg check` apply these rules to what a store holds;
// the rules read plain values, so any reader of the same data can apply them.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace package::rules {

enum class Severity { kRefuse, kWarn };

// One finding about one value. Texts are UTF-8; value is the value as a
// person reads it ("35000000" yen, "2024-13-01" as a date).
struct Finding {
  Severity severity;
  const char* column;
  std::string value;
  std::string why;  // what is wrong
  std::string fix;  // what to do
};
using FindingSink = std::function<void(const Finding&)>;

// The values of an asset row that the rules read, in this order; the
// amounts from kAcquisitionCost on cannot be negative.
enum AssetValue {
  kTypeCode,
  kMethodCode,
  kUsefulLife,
  kAcquisitionDate,
  kDisposalKind,
  kDisposalDate,
  kLimitKind,
  kDepreciableLimit,
  kBusinessRatio,
  kSgaShare,
  kMonthsEntered,
  kMonthsDenominator,
  kAcquisitionCost,
  kCompressedAmount,
  kOpeningBookValue,
  kResidualValue,
  kDepreciationBase,
  kAccumulatedDepreciation,
  kClosingBookValue,
  kDisposalPrice,
  kRevisedCost,
  kAssetValueCount
};
// The store column of each AssetValue.
extern const char* const kAssetValueColumns[kAssetValueCount];

struct AssetFacts {
  int64_t values[kAssetValueCount] = {};
  bool data_set_has_categories = false;  // when false, the type code is not judged (see CheckDataSet)
  bool type_in_categories = false;
  int64_t items = 0;       // lump-sum items the asset has
  int64_t period_end = 0;  // of its data set; 0 for none
};

struct ItemFacts {
  int64_t acquisition_date = 0, acquisition_cost = 0, quantity = 0;
};

struct CategoryFacts {
  int64_t code = 0;
  std::string name;  // UTF-8
};

// The columns a CSV file of each table must have: without one the export
// would write a column of every row empty or wrong.
extern const std::span<const char* const> kRequiredAssetColumns;
extern const std::span<const char* const> kRequiredItemColumns;
extern const std::span<const char* const> kRequiredCategoryColumns;

// The method codes the export knows: 1 to 8, and 0 only for land (type 11),
// whose depreciation method is "non-depreciable" whatever its code.
bool MethodKnown(int64_t method_code, int64_t type_code);

// texts: whether findings come with their value, why and fix; without,
// they only count, and cost next to nothing.
void CheckAsset(const AssetFacts& asset, const FindingSink& report, bool texts = true);
void CheckItem(const ItemFacts& item, const FindingSink& report);
void CheckCategory(const CategoryFacts& category, const FindingSink& report);
// A data set's period; period_start and period_end are yyyymmdd or 0.
void CheckPeriod(int64_t period_start, int64_t period_end, const FindingSink& report);
// A data set with assets but no category at all: one finding, in place of
// one per asset.
Finding NoCategories();

// Whether date (yyyymmdd) is a day of the calendar.
bool IsCalendarDay(int64_t date);

// "35000000" or "-1.5" for an amount in ten-thousandths of a yen.
std::string YenText(int64_t amount);
// The standard name of a category code (1 to 11), or null.
const char* CategoryName(int64_t code);

}  // namespace package::rules
