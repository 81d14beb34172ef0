// Per-program constants. Each of the three programs defines them once in its
// own small source file (app/build_ena.cpp, build_dio.cpp, build_tre.cpp);
// the libraries read them through this declaration and are compiled once.
#pragma once

namespace build {

extern const long kAppType;              // handed to ClZelConnect::SetAppType
extern const char* const kEnvFileName;   // remembered output paths
extern const char* const kErrorLogName;  // the export's error log

}  // namespace build
