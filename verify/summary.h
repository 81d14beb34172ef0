// The control sheet's figures as text: a table for the terminal (UTF-8,
// columns aligned for full-width characters) and JSON for a program.
#pragma once

#include <string>

#include "verify/control_sheet.h"

namespace verify {

std::string SummaryTable(const ControlSheet& sheet);
std::string SheetJson(const ControlSheet& sheet);

}  // namespace verify
