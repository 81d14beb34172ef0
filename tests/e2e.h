// End-to-end test fixture: runs the built programs through the script back
// end against a package store made for each test with zelpkg and sqlite3.
//
// Each test gets its own folder under the build tree; drive E: is mapped to
// its "e" subfolder, the store lies beside it, and the default output folder
// and environment folder of the store are E:\out\ and E:\env\. This file is
// compiled as UTF-8 (the transcript and the scripts are UTF-8).
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/test_env.h"

namespace e2e {

struct RunResult {
  int status = -1;
  std::vector<std::string> lines;      // the transcript, as written
  std::vector<nlohmann::json> events;  // the same, parsed
  std::string errors;                  // standard error
  double seconds = 0;                  // how long the program ran

  // The events of the given kind, in order.
  std::vector<nlohmann::json> Of(const std::string& event) const;
  // The texts of the message boxes, in order.
  std::vector<std::string> Messages() const;
};

class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // The store: the sample company (assets as zelpkg makes them; 0 for none).
  void MakeStore(int assets = 200);
  // Runs SQL on the store (or on another database file in the test's folder).
  void Sql(const std::string& statements, const std::string& db = "package.db");
  // Runs zelpkg with args in the test's folder; its exit status, with its
  // standard output and error in *out and *err when given.
  int Zelpkg(const std::vector<std::string>& args, std::string* out = nullptr, std::string* err = nullptr);

  // Runs program with script. env holds extra "NAME=value" entries that
  // replace those of their name ("NAME" alone removes it);
  // ZEL_DRIVES is "Z:fixed=/;E:fixed=<E folder>" followed by drives_.
  RunResult Run(const std::string& script, const std::string& program = "ZelEna20ToMx13",
                const std::vector<std::string>& env = {});
  // The same in two steps, for a test that runs it itself (beside another
  // run, or with a condition to kill it): the run as Run makes it, and what
  // its end says. Runs at once need tags of their own, which name their
  // script files.
  testenv::Program Prepare(const std::string& script, const std::string& program = "ZelEna20ToMx13",
                           const std::vector<std::string>& env = {}, const std::string& tag = "");
  static RunResult Result(const testenv::ProgramResult& ran);
  // A tool run in the test's folder, with PATH and LANG=C.UTF-8 its only
  // variables.
  testenv::Program Tool(std::vector<std::string> argv) const;

  // Makes a copy of the program in its own folder (named folder, under the
  // test's folder) with the given OrvikDef.ini content (nullptr: none), and
  // runs that copy from then on.
  void UseProgramCopy(const std::string& program, const char* orvik_ini, const std::string& folder = "bin");

  // Largest file the programs run from then on may write (0: no limit), as
  // a full disk would stop them; writes beyond it fail.
  long file_size_limit_ = 0;

  std::string dir_;                // the test's folder (host)
  std::string e_;                  // what drive E: maps to (host)
  std::string drives_;             // extra ZEL_DRIVES entries, each starting with ";"
  std::string program_dir_;        // where the programs are run from
  std::vector<std::string> args_;  // the programs' arguments (none by default)
};

// File helpers (host paths).
// The lines of a text, without their line ends (LF or CR LF).
std::vector<std::string> Lines(const std::string& text);
bool Exists(const std::string& path);
bool IsDir(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
// The CP932 bytes of a UTF-8 text, and back.
std::string ToCp932(const std::string& utf8);
std::string FromCp932(const std::string& cp932);

// The messages of the program, as the transcript carries them.
extern const char* const kCancelNotice;
extern const char* const kPastResults;
extern const char* const kNoPath;
extern const char* const kInvalidChars;
extern const char* const kInvalidDrive;
extern const char* const kNoFileName;
extern const char* const kFolderQuestion;
extern const char* const kFolderFailed;
extern const char* const kOverwriteQuestion;
extern const char* const kFinishedWithRemarks;
extern const char* const kExportFailedStart;
// The success message for the two files.
std::string SuccessMessage(const std::string& data_file, const std::string& type_file);

}  // namespace e2e
