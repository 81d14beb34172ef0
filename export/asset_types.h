// The tax-return asset type that both output files carry for an asset type
// (category) code.
#pragma once

#include <cstdint>

inline const char* TaxReturnType(int32_t code) {
  switch (code) {
    case 1:
    case 4:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11: return "申告なし";
    case 2: return "構築物";
    case 3: return "機械及び装置";
    case 5: return "工具器具及び備品";
    default: return "";
  }
}
