// Constants of the ZelTre20ToMx13 program.
#include "app/build_constants.h"

namespace build {

const long kAppType = 3;
const char* const kEnvFileName = "ZelTre20ToMx13.env";
const char* const kErrorLogName = "ZelTreMx13SysErr.txt";

}  // namespace build
