// Constants of the ZelEna20ToMx13 program.
#include "app/build_constants.h"

namespace build {

const long kAppType = 0;
const char* const kEnvFileName = "ZelEna20ToMx13.env";
const char* const kErrorLogName = "ZelEnaMx13SysErr.txt";

}  // namespace build
