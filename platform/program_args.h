// The command line and the environment of a program or tool as UTF-8 texts,
// which is how the tools carry names and paths inside (SQLite, host paths,
// messages).
#pragma once

#include <string>

namespace win {

// On Windows the arguments are read again as UTF-16 from the system
// (CommandLineToArgvW) and *argc and *argv replaced by their UTF-8 form, kept
// for the life of the process: the C runtime's argv passes through the ANSI
// code page, which turns a name outside it into "?". A console that the
// process writes to shows UTF-8 until the process ends, as the tools write
// it. Elsewhere the arguments are the bytes the process was given, UTF-8
// already, and stay.
void UseUtf8CommandLine(int* argc, char*** argv);

// The value of the environment variable name (ASCII) as UTF-8, read through
// the wide API on Windows; false when it is not set.
bool GetEnvUtf8(const char* name, std::string* value);

}  // namespace win
