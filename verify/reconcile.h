// Reconciliation of the asset data file's figures with the store's: the
// lines of the control sheet side by side, their totals, and every
// difference named in a sentence (which line, which figure, how much; which
// asset is on one side only; which asset type is named otherwise).
#pragma once

#include <string>
#include <vector>

#include "verify/figures.h"
#include "verify/store_figures.h"

namespace verify {

// What the header block of the asset data file says (CP932).
struct FileHeader {
  std::string company;
  std::string period_start, period_end;  // as the lines hold them (yyyymmdd)
  bool company_cut = false;              // the company line fills its 152 bytes: the name may be cut
};

struct SheetLine {
  GroupKey key;
  std::string type_name;  // CP932; syurui.SSC's, else the store's
  Figures file, store;
};

struct Reconciliation {
  bool with_store = false;
  std::vector<SheetLine> lines;  // asset types in code order, breakdown rows last
  SheetLine total;
  std::vector<std::string> differences;  // CP932
};

// The figure's name as the column-name line has it (CP932).
const char* FigureName(int figure);
// A line as the sheet names it: "01 建物 / 定額法", or the breakdown rows'.
std::string LineName(const SheetLine& line);

// The figure a line shows for the file: its sum, and the store's figure for
// the amounts over the digit limit when there is a store.
Yen ShownFileFigure(const SheetLine& line, int figure, bool with_store);
// Whether a figure of the line differs between the two sides.
bool FigureDiffers(const SheetLine& line, int figure);

// Lines (and their totals) of the file alone, or beside the store's with
// the differences. Sorts the file's codes; the store's come sorted.
Reconciliation Reconcile(Side* file, const FileHeader& header, StoreFigures* store);

}  // namespace verify
