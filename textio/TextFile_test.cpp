// ClTextFile: open modes, refusals, closing, attaching, status reporting, and
// the exact bytes that reach the file.
#include "textio/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "component/component.h"
#include "platform/cp932.h"
#include "platform/test_env.h"
#include "platform/win.h"
#include "textio/status.h"
#include "textio/textaccessor.h"
#include "textio/textio_test_util.h"

using textio_test::Column;

namespace {

class TextFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The default drive map, Z: = /, whatever the environment says.
    testenv::UnsetEnv("ZEL_DRIVES");
    win::ReloadMappings();
  }

  std::string Host(const std::string& name) const { return dir_.Host(name); }
  // The Windows form of a file in the test folder (through drive Z: on
  // Linux).
  std::string Win(const std::string& name) const { return dir_.Windows(cp932::ToUtf8(name)); }
  static std::string Contents(const std::string& host) {
    std::ifstream in(win::HostFsPath(host), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void Put(const std::string& host, const std::string& text) {
    std::ofstream(win::HostFsPath(host), std::ios::binary) << text;
  }
  // Writes one comment line through an accessor attached to the holder.
  static long WriteLine(ClTextFile& file, const char* text) {
    ClTextAccessor accessor(const_cast<char*>("LINE"), nullptr, 0, nullptr);
    file.Attach(&accessor);
    return accessor.CommentWrite(const_cast<char*>(text));
  }

  testenv::ScratchDir dir_{"textfile_test"};
};

auto Mode(int bits) { return static_cast<ClTextFile::TFOpenMode>(bits); }

}  // namespace

TEST_F(TextFileTest, WriteModes) {
  // TF_WRITE alone creates a new file and refuses an existing one untouched.
  {
    ClTextFile file;
    ASSERT_EQ(0, file.Open(Win("new.txt").c_str(), ClTextFile::TF_WRITE));
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(0, WriteLine(file, "one"));
    EXPECT_EQ(0, file.Close());
    EXPECT_FALSE(file.IsOpen());
  }
  EXPECT_EQ("one\r\n", Contents(Host("new.txt")));
  {
    ClTextFile file;
    EXPECT_EQ(textio::kFileError, file.Open(Win("new.txt").c_str(), ClTextFile::TF_WRITE));
    EXPECT_FALSE(file.IsOpen());
  }
  EXPECT_EQ("one\r\n", Contents(Host("new.txt")));

  // TF_WRITE with TF_OVERWRITE empties it; with TF_APPEND lines go after
  // the ones there.
  ClTextFile file;
  ASSERT_EQ(0, file.Open(Win("new.txt").c_str(), Mode(ClTextFile::TF_WRITE | ClTextFile::TF_OVERWRITE)));
  EXPECT_EQ(0, file.Close());
  EXPECT_EQ("", Contents(Host("new.txt")));
  Put(Host("log.txt"), "old\r\n");
  ASSERT_EQ(0, file.Open(Win("log.txt").c_str(), Mode(ClTextFile::TF_WRITE | ClTextFile::TF_APPEND)));
  EXPECT_EQ(0, WriteLine(file, "new"));
  EXPECT_EQ(0, file.Close());
  EXPECT_EQ("old\r\nnew\r\n", Contents(Host("log.txt")));
  ASSERT_EQ(0, file.Open(Win("created.txt").c_str(), Mode(ClTextFile::TF_WRITE | ClTextFile::TF_APPEND)));
  EXPECT_EQ(0, file.Close());
  EXPECT_TRUE(std::filesystem::exists(win::HostFsPath(Host("created.txt"))));

  // TF_READ with TF_WRITE opens for writing.
  ASSERT_EQ(0, file.Open(Win("log.txt").c_str(),
                         Mode(ClTextFile::TF_READ | ClTextFile::TF_WRITE | ClTextFile::TF_OVERWRITE)));
  EXPECT_EQ(0, WriteLine(file, "w"));
  EXPECT_EQ(0, file.Close());
  EXPECT_EQ("w\r\n", Contents(Host("log.txt")));
}

TEST_F(TextFileTest, ReadModes) {
  ClTextFile file;
  EXPECT_EQ(textio::kFileError, file.Open(Win("missing.txt").c_str(), ClTextFile::TF_READ));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_FALSE(std::filesystem::exists(win::HostFsPath(Host("missing.txt"))));

  // The append bit means nothing for reading: the file is read from its start
  // and left as it is.
  Put(Host("in.txt"), "a,b\r\nc,d");
  ASSERT_EQ(0, file.Open(Win("in.txt").c_str(), Mode(ClTextFile::TF_READ | ClTextFile::TF_APPEND)));
  std::vector<StTAFORMAT> table = {Column("p", 1, 0, 0, 2, 0), Column("q", 1, 0, 2, 2, 0)};
  char record[4] = {};
  ClTextAccessor accessor(const_cast<char*>("IN"), table.data(), 2, record);
  accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  EXPECT_EQ(0, file.Attach(&accessor));
  EXPECT_EQ(0, accessor.Read());
  EXPECT_STREQ("a", record);
  EXPECT_EQ(0, accessor.Read());
  EXPECT_STREQ("d", record + 2);
  EXPECT_EQ(1, accessor.Read());
  EXPECT_EQ(0, file.Close());
  EXPECT_EQ("a,b\r\nc,d", Contents(Host("in.txt")));
}

TEST_F(TextFileTest, RefusalsLeaveEverythingAsItWas) {
  ClMsgMgr* messages = ClMsgMgr::Inst();
  ClTextFile file;
  EXPECT_EQ(0, file.Close()) << "closing a holder that was never opened";
  EXPECT_EQ(0, messages->GetLastErrorCode());
  EXPECT_EQ(nullptr, messages->GetLastErrorFile());

  EXPECT_EQ(textio::kInvalidArgument, file.Attach(nullptr));
  EXPECT_EQ(textio::kInvalidArgument, messages->GetLastErrorCode());
  EXPECT_STREQ("TextFile", messages->GetLastErrorFile());
  EXPECT_GT(messages->GetLastErrorLine(), 0);

  // Modes that ask for nothing, or to append and truncate at once.
  for (int bits : {0, int{ClTextFile::TF_APPEND}, int{ClTextFile::TF_OVERWRITE},
                   ClTextFile::TF_WRITE | ClTextFile::TF_APPEND | ClTextFile::TF_OVERWRITE,
                   ClTextFile::TF_READ | ClTextFile::TF_APPEND | ClTextFile::TF_OVERWRITE}) {
    EXPECT_EQ(textio::kInvalidArgument, file.Open(Win("bad.txt").c_str(), Mode(bits))) << bits;
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(std::filesystem::exists(win::HostFsPath(Host("bad.txt"))));
  }
  EXPECT_EQ(textio::kInvalidArgument, file.Open(nullptr, ClTextFile::TF_READ));

  // Opening an open holder keeps its file and its stream.
  ASSERT_EQ(0, file.Open(Win("first.txt").c_str(), Mode(ClTextFile::TF_WRITE | ClTextFile::TF_OVERWRITE)));
  EXPECT_EQ(0, messages->GetLastErrorCode());
  EXPECT_EQ(0, WriteLine(file, "1"));
  EXPECT_EQ(textio::kFileError,
            file.Open(Win("second.txt").c_str(), Mode(ClTextFile::TF_WRITE | ClTextFile::TF_OVERWRITE)));
  EXPECT_EQ(textio::kFileError, messages->GetLastErrorCode());
  EXPECT_STREQ("TextFile", messages->GetLastErrorFile());
  EXPECT_TRUE(file.IsOpen());
  EXPECT_EQ(0, WriteLine(file, "2"));
  EXPECT_EQ(0, file.Close());
  EXPECT_EQ("1\r\n2\r\n", Contents(Host("first.txt")));
  EXPECT_FALSE(std::filesystem::exists(win::HostFsPath(Host("second.txt"))));

  // Paths that cannot be reached: an unmapped drive, a missing folder.
  EXPECT_EQ(textio::kFileError,
            file.Open("Q:\\x.txt", Mode(ClTextFile::TF_WRITE | ClTextFile::TF_OVERWRITE)));
  EXPECT_EQ(textio::kFileError,
            file.Open(Win("no/such/x.txt").c_str(), Mode(ClTextFile::TF_WRITE | ClTextFile::TF_OVERWRITE)));
  EXPECT_FALSE(file.IsOpen());
}

TEST_F(TextFileTest, ClosingAndDestroying) {
  // Lines written before the holder is destroyed are in the file.
  {
    ClTextFile file;
    ASSERT_EQ(0, file.Open(Win("kept.txt").c_str(), Mode(ClTextFile::TF_WRITE | ClTextFile::TF_OVERWRITE)));
    EXPECT_EQ(0, WriteLine(file, "kept"));
  }
  EXPECT_EQ("kept\r\n", Contents(Host("kept.txt")));

#ifndef _WIN32
  // A close that cannot write out the buffered lines fails (the host's full
  // device, which Windows has not).
  ClTextFile full;
  ASSERT_EQ(0, full.Open("Z:\\dev\\full", Mode(ClTextFile::TF_WRITE | ClTextFile::TF_OVERWRITE)));
  EXPECT_EQ(0, WriteLine(full, "lost"));
  EXPECT_EQ(textio::kFileError, full.Close());
  EXPECT_STREQ("TextFile", ClMsgMgr::Inst()->GetLastErrorFile());
  EXPECT_FALSE(full.IsOpen());
  // The holder can be opened again after the failure.
  EXPECT_EQ(0, full.Open(Win("again.txt").c_str(), Mode(ClTextFile::TF_WRITE | ClTextFile::TF_OVERWRITE)));
  EXPECT_EQ(0, WriteLine(full, "again"));
  EXPECT_EQ(0, full.Close());
  EXPECT_EQ("again\r\n", Contents(Host("again.txt")));
#endif
}

TEST_F(TextFileTest, DoubleByteNamesAndExactLines) {
  // A CP932 file name reaches the host as UTF-8; the lines keep their CP932
  // bytes and end in CR LF, without any translation.
  ClTextFile file;
  ASSERT_EQ(0, file.Open(Win("資産表.csv").c_str(), Mode(ClTextFile::TF_WRITE | ClTextFile::TF_OVERWRITE)));
  std::vector<StTAFORMAT> table = {Column("名称", 20, 0, 0, 20, 0), Column("金額", 0, 2, 24, 8, 1)};
  textio_test::Record record(32);
  record.PutText(0, "ソ表\n");
  record.Put<int64_t>(24, -123456789);
  ClTextAccessor accessor(const_cast<char*>("G_INFO"), table.data(), 2, record.data());
  accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  ASSERT_EQ(0, file.Attach(&accessor));
  EXPECT_EQ(0, accessor.ItemNameWrite());
  EXPECT_EQ(0, accessor.Write());
  EXPECT_EQ(0, file.Close());
  const std::string host = dir_.Host(reinterpret_cast<const char*>(u8"資産表.csv"));
  EXPECT_EQ("\x96\xbc\x8f\xcc,\x8b\xe0\x8a\x7a\r\n\x83\x5c\x95\x5c\n,-12345.67\r\n", Contents(host));
}
