#include "package/asset_rules.h"

#include "component/records.h"

#include <cinttypes>
#include <cstdio>
#include <tuple>

namespace package::rules {
namespace {

constexpr int64_t kYen = 10000;  // amounts are ten-thousandths of a yen

const char* const kRequiredAssets[] = {
    "code", "name", "type_code", "method_code", "useful_life", "acquisition_date", "acquisition_cost"};
const char* const kRequiredItems[] = {"asset_seq", "name", "acquisition_date", "acquisition_cost"};
const char* const kRequiredCategories[] = {"code", "name", "method_code"};

// The category codes and their names: the code decides the asset type
// column of the tax return (構築物, 機械及び装置, 工具器具及び備品 or
// 申告なし) and the rows of the asset type file.
const char* const kCategoryNames[] = {
    "\xE5\xBB\xBA\xE7\x89\xA9",                                                  // 1 建物
    "\xE6\xA7\x8B\xE7\xAF\x89\xE7\x89\xA9",                                      // 2 構築物
    "\xE6\xA9\x9F\xE6\xA2\xB0\xE5\x8F\x8A\xE3\x81\xB3\xE8\xA3\x85\xE7\xBD\xAE",  // 3 機械及び装置
    "\xE5\xBB\xBA\xE7\x89\xA9\xE9\x99\x84\xE5\xB1\x9E\xE8\xA8\xAD\xE5\x82\x99",  // 4 建物附属設備
    ("\xE5\xB7\xA5\xE5\x85\xB7\xE5\x99\xA8\xE5\x85\xB7\xE5\x8F\x8A\xE3\x81\xB3\xE5\x82\x99\xE5\x93"
     "\x81"),                                                                    // 5 工具器具及び備品
    "\xE7\x84\xA1\xE5\xBD\xA2\xE5\x9B\xBA\xE5\xAE\x9A\xE8\xB3\x87\xE7\x94\xA3",  // 6 無形固定資産
    "\xE8\xBB\x8A\xE4\xB8\xA1\xE9\x81\x8B\xE6\x90\xAC\xE5\x85\xB7",              // 7 車両運搬具
    "\xE7\x94\x9F\xE7\x89\xA9",                                                  // 8 生物
    "\xE7\xB9\xB0\xE5\xBB\xB6\xE8\xB3\x87\xE7\x94\xA3",                          // 9 繰延資産
    "\xE4\xB8\x80\xE6\x8B\xAC\xE5\x84\x9F\xE5\x8D\xB4\xE8\xB3\x87\xE7\x94\xA3",  // 10 一括償却資産
    "\xE5\x9C\x9F\xE5\x9C\xB0",                                                  // 11 土地
};

std::string DateText(int64_t date) {
  if (!IsCalendarDay(date)) return std::to_string(date);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", static_cast<int>(date / 10000),
                static_cast<int>(date / 100 % 100), static_cast<int>(date % 100));
  return text;
}

// Whether the method depreciates over a useful life of years.
bool NeedsLife(int64_t method_code) {
  return method_code == 1 || method_code == 2 || method_code == 3 || method_code == 5 || method_code == 6 ||
         method_code == 8;
}

constexpr int64_t kLongestLife = 100;

using Texts = std::tuple<std::string, std::string, std::string>;  // value, why, fix

// Says findings to a sink; a finding's texts are made only when they are
// wanted (a caller that counts findings wants none).
class Say {
 public:
  Say(const FindingSink& sink, bool texts) : sink_(sink), texts_(texts) {}
  template <class MakeTexts>
  void Refuse(const char* column, MakeTexts texts) const {
    Tell(Severity::kRefuse, column, texts);
  }
  template <class MakeTexts>
  void Warn(const char* column, MakeTexts texts) const {
    Tell(Severity::kWarn, column, texts);
  }

 private:
  template <class MakeTexts>
  void Tell(Severity severity, const char* column, MakeTexts texts) const {
    Finding finding{severity, column, {}, {}, {}};
    if (texts_) std::tie(finding.value, finding.why, finding.fix) = texts();
    sink_(finding);
  }
  const FindingSink& sink_;
  bool texts_;
};

}  // namespace

const char* const kAssetValueColumns[kAssetValueCount] = {
    "type_code",          "method_code",       "useful_life",
    "acquisition_date",   "disposal_kind",     "disposal_date",
    "limit_kind",         "depreciable_limit", "business_ratio",
    "sga_share",          "months_entered",    "months_denominator",
    "acquisition_cost",   "compressed_amount", "opening_book_value",
    "residual_value",     "depreciation_base", "accumulated_depreciation",
    "closing_book_value", "disposal_price",    "revised_cost"};

const std::span<const char* const> kRequiredAssetColumns(kRequiredAssets);
const std::span<const char* const> kRequiredItemColumns(kRequiredItems);
const std::span<const char* const> kRequiredCategoryColumns(kRequiredCategories);

bool IsCalendarDay(int64_t date) { return date != 0 && IsRecordDate(date); }

std::string YenText(int64_t amount) {
  // In unsigned arithmetic, so that the least amount has a magnitude too.
  uint64_t magnitude = amount < 0 ? 0 - static_cast<uint64_t>(amount) : static_cast<uint64_t>(amount);
  std::string text = (amount < 0 ? "-" : "") + std::to_string(magnitude / kYen);
  if (uint64_t fraction = magnitude % kYen) {
    char digits[8];
    std::snprintf(digits, sizeof digits, ".%04" PRIu64, fraction);
    text += digits;
    while (text.back() == '0') text.pop_back();
  }
  return text;
}

const char* CategoryName(int64_t code) {
  return code >= 1 && code <= 11 ? kCategoryNames[code - 1] : nullptr;
}

bool MethodKnown(int64_t method_code, int64_t type_code) {
  return (method_code >= 1 && method_code <= 8) || (method_code == 0 && type_code == 11);
}

void CheckAsset(const AssetFacts& asset, const FindingSink& report, bool texts) {
  const Say say(report, texts);
  const int64_t* v = asset.values;
  const int64_t method = v[kMethodCode], type = v[kTypeCode];
  const bool lump = method == 4;
  if (!MethodKnown(method, type))
    say.Refuse("method_code", [&] {
      return Texts(
          std::to_string(method),
          "not a depreciation method the export knows (its depreciation method column would be empty)",
          "give 1 to 8 (the guide's method table), or 0 for land (type_code 11)");
    });
  if (NeedsLife(method) && type != 11 && (v[kUsefulLife] < 1 || v[kUsefulLife] > kLongestLife))
    say.Refuse("useful_life", [&] {
      return Texts(std::to_string(v[kUsefulLife]),
                   "method " + std::to_string(method) + " depreciates over a useful life of 1 to " +
                       std::to_string(kLongestLife) + " years",
                   "give the asset's useful life in years");
    });
  if (asset.data_set_has_categories && !asset.type_in_categories)
    say.Refuse("type_code", [&] {
      return Texts(
          std::to_string(type),
          "no category of the data set has this code, so the asset type file has no row for it",
          "give the code of one of the data set's categories, or import the category with --categories");
    });
  if (lump && asset.items == 0)
    say.Refuse("method_code", [&] {
      return Texts(
          "4", "a lump-sum asset without items: the export writes a row for each item and none for the asset",
          "import its items with --items (asset_seq = the asset's seq)");
    });
  if (v[kAcquisitionDate] == 0 && !lump)
    say.Refuse("acquisition_date", [&] {
      return Texts("0", "the asset has no acquisition date", "give the date it was acquired (YYYY-MM-DD)");
    });
  if (asset.period_end != 0 && IsCalendarDay(v[kAcquisitionDate]) && v[kAcquisitionDate] > asset.period_end)
    say.Warn("acquisition_date", [&] {
      return Texts(DateText(v[kAcquisitionDate]),
                   "after the end of the data set's period (" + DateText(asset.period_end) + ")",
                   "check the date, or import the asset into the data set of its period");
    });
  const bool disposed = v[kDisposalKind] == 4 || v[kDisposalKind] == 5;
  if (disposed && v[kDisposalDate] == 0)
    say.Refuse("disposal_date", [&] {
      return Texts("0",
                   std::string("the asset is ") + (v[kDisposalKind] == 4 ? "sold" : "retired") +
                       " (disposal_kind " + std::to_string(v[kDisposalKind]) + ") but has no disposal date",
                   "give the date of the disposal (YYYY-MM-DD)");
    });
  if (!disposed && v[kDisposalDate] != 0)
    say.Warn("disposal_date", [&] {
      return Texts(
          DateText(v[kDisposalDate]),
          "a disposal date without disposal_kind 4 (sold) or 5 (retired): the export writes no disposal",
          "give disposal_kind 4 or 5, or leave the date empty");
    });
  if (disposed && IsCalendarDay(v[kDisposalDate]) && IsCalendarDay(v[kAcquisitionDate]) &&
      v[kDisposalDate] < v[kAcquisitionDate])
    say.Warn("disposal_date", [&] {
      return Texts(DateText(v[kDisposalDate]),
                   "before the acquisition date (" + DateText(v[kAcquisitionDate]) + ")", "check both dates");
    });
  if (v[kLimitKind] != 0 && v[kLimitKind] != 1)
    say.Refuse("limit_kind", [&] {
      return Texts(
          std::to_string(v[kLimitKind]),
          "neither 0 (the depreciable limit is a rate) nor 1 (an amount): the export writes no limit",
          "give 0 or 1");
    });
  if (v[kLimitKind] == 0 && v[kDepreciableLimit] > 100 * kYen)
    say.Warn("depreciable_limit", [&] {
      return Texts(YenText(v[kDepreciableLimit]),
                   "limit_kind 0 makes it a rate, and a rate above 100 % is written",
                   "if it is an amount in yen, give limit_kind 1");
    });
  if (v[kBusinessRatio] < 0 || v[kBusinessRatio] > 10000)
    say.Warn("business_ratio", [&] {
      return Texts(std::to_string(v[kBusinessRatio]), "outside 0 to 10000 (hundredths of a percent)",
                   "give the business-use share, 10000 for 100 %");
    });
  if (v[kSgaShare] < 0 || v[kSgaShare] > 100)
    say.Warn("sga_share", [&] {
      return Texts(std::to_string(v[kSgaShare]),
                   "outside 0 to 100 %: the manufacturing-cost share written beside it is negative",
                   "give the selling-and-administration share in percent");
    });
  if (v[kMonthsEntered] == 1 && v[kMonthsDenominator] <= 0)
    say.Refuse("months_denominator", [&] {
      return Texts(std::to_string(v[kMonthsDenominator]),
                   "entered depreciation months (months_entered 1) are 12 divided by it",
                   "give the months share's denominator, e.g. 12");
    });
  for (int i = kAcquisitionCost; i < kAssetValueCount; ++i)
    if (v[i] < 0)
      say.Refuse(kAssetValueColumns[i], [&] {
        return Texts(YenText(v[i]), "an amount that cannot be negative",
                     "give the amount in yen without a minus sign");
      });
}

void CheckItem(const ItemFacts& item, const FindingSink& report) {
  const Say say(report, true);
  if (item.acquisition_date == 0)
    say.Refuse("acquisition_date", [&] {
      return Texts("0", "the item has no acquisition date", "give the date it was acquired (YYYY-MM-DD)");
    });
  if (item.acquisition_cost < 0)
    say.Refuse("acquisition_cost", [&] {
      return Texts(YenText(item.acquisition_cost), "an amount that cannot be negative",
                   "give the amount in yen without a minus sign");
    });
  if (item.quantity < 0)
    say.Warn("quantity", [&] {
      return Texts(std::to_string(item.quantity), "a negative quantity",
                   "give the quantity in hundredths (150 for 1.5)");
    });
}

void CheckCategory(const CategoryFacts& category, const FindingSink& report) {
  const Say say(report, true);
  if (!CategoryName(category.code)) {
    say.Warn("code", [&] {
      return Texts(std::to_string(category.code),
                   "not a code of 1 to 11: the asset type file and the tax-return asset type leave it empty",
                   "give the code of the guide's category table");
    });
    return;
  }
  for (int64_t code = 1; code <= 11; ++code)
    if (code != category.code && category.name == CategoryName(code))
      say.Warn("code", [&] {
        return Texts(std::to_string(category.code),
                     "the name " + category.name + " is the name of category " + std::to_string(code) +
                         ", and the code decides the tax-return asset type",
                     "give the code " + std::to_string(code) + " or another name");
      });
}

void CheckPeriod(int64_t period_start, int64_t period_end, const FindingSink& report) {
  const Say say(report, true);
  if (period_start != 0 && period_end != 0 && IsCalendarDay(period_start) && IsCalendarDay(period_end) &&
      period_start >= period_end)
    say.Refuse("period_start", [&] {
      return Texts(DateText(period_start),
                   "the period must start before its end (" + DateText(period_end) + ")",
                   "give the period's start first: --period START END");
    });
}

Finding NoCategories() {
  return {Severity::kRefuse, "type_code", "",
          "the data set has assets but no categories, so the asset type file would be empty",
          "import the categories with --categories C.csv"};
}

}  // namespace package::rules
