// Constants of the ZelDio20ToMx13 program.
#include "app/build_constants.h"

namespace build {

const long kAppType = 4;
const char* const kEnvFileName = "ZelDio20ToMx13.env";
const char* const kErrorLogName = "ZelDioMx13SysErr.txt";

}  // namespace build
