// The three files of an export of a 20,000-asset sample store, for each of
// the three programs, are byte for byte what the program wrote before it was
// made faster: the hashes below were taken from that program's files, and
// taken again when the sample's categories and depreciable limits were made
// to follow the rules of fixed-asset data (the error log stayed the same).
// (The asset type file's date line is the day of the run; it is hashed as
// "DATE".)
#include <cstdint>
#include <filesystem>
#include <string>

#include "tests/e2e.h"

namespace e2e {
namespace {

uint64_t Fnv1a(const std::string& bytes) {
  uint64_t h = 14695981039346656037ULL;
  for (char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ULL;
  }
  return h;
}

// The asset type file with its fourth line, the date, fixed.
std::string WithoutDate(const std::string& types) {
  size_t start = 0;
  for (int line = 0; line < 3 && start != std::string::npos; ++line) {
    start = types.find("\r\n", start);
    if (start != std::string::npos) start += 2;
  }
  if (start == std::string::npos) return types;
  size_t end = types.find("\r\n", start);
  const std::string date = ToCp932(";日付\t\t：");
  if (end == std::string::npos || types.compare(start, date.size(), date) != 0) return types;
  return types.substr(0, start) + date + "DATE" + types.substr(end);
}

TEST_F(E2eTest, ExportsOfALargeStoreAreByteForByteAsBefore) {
  MakeStore(20000);
  std::filesystem::create_directories(e_ + "/out");
  struct Program {
    const char* name;
    const char* log;
  };
  for (const Program& p :
       {Program{"ZelEna20ToMx13", "ZelEnaMx13SysErr.txt"}, Program{"ZelDio20ToMx13", "ZelDioMx13SysErr.txt"},
        Program{"ZelTre20ToMx13", "ZelTreMx13SysErr.txt"}}) {
    SCOPED_TRACE(p.name);
    for (const auto& entry : std::filesystem::directory_iterator(e_ + "/out"))
      std::filesystem::remove(entry.path());
    RunResult r = Run("set 1007 E:\\out\\c.csv\nkey F12\nanswer ok\n", p.name);
    ASSERT_EQ(r.status, 0) << r.errors;
    std::string data = ReadFile(e_ + "/out/c.csv");
    std::string types = WithoutDate(ReadFile(e_ + "/out/syurui.SSC"));
    std::string log = ReadFile(e_ + "/out/" + p.log);
    EXPECT_EQ(data.size(), 6306062u);
    EXPECT_EQ(Fnv1a(data), 0x7b20ab7bb3ab63f7ULL) << std::hex << Fnv1a(data);
    EXPECT_EQ(Fnv1a(types), 0xf7cc234d5c27fea7ULL) << std::hex << Fnv1a(types);
    EXPECT_EQ(log.size(), 813u);
    EXPECT_EQ(Fnv1a(log), 0xdf88cd1ca3186261ULL) << std::hex << Fnv1a(log);
  }
}

}  // namespace
}  // namespace e2e
