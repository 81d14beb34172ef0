// The exporter's files as a whole: the header block, the error log's
// entries, the asset type file, and what the exporter keeps about each file.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "export/export_test_util.h"

namespace {

using namespace export_test;

StDATAINFO Company(const std::string& name, uint8_t kind = 0, int32_t start = 20240401,
                   int32_t end = 20250331) {
  StDATAINFO info{};
  std::memcpy(info.szCompanyName, name.data(), std::min(name.size(), sizeof info.szCompanyName));
  info.ucCorpKind = kind;
  info.lPeriodStart = start;
  info.lPeriodEnd = end;
  return info;
}

// Writes only the header block and column-name line; returns the lines.
std::vector<std::string> HeaderLines(StDATAINFO info) {
  testenv::ScratchDir dir("zel_export");
  AssetExporter exporter(kErrorLogName);
  exporter.SetOutputPath(dir.Windows("out.csv").c_str());
  exporter.OpenAssetFile(&info);
  exporter.CloseOutput(0);
  exporter.CloseOutput(2);
  exporter.CommitOutputs();
  std::string data = ReadFile(dir.Host("out.csv"));
  EXPECT_EQ(data.substr(data.size() - 3), ",\r\n");
  return Split(data, "\r\n");
}

TEST(HeaderTest, SixLinesAndTheColumnNames) {
  std::vector<std::string> lines = HeaderLines(Company("株式会社テスト", 1, 20240401, 20250331));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6), AssetFileHeader());
  std::vector<std::string> names = Fields(lines[6]);
  ASSERT_EQ(names.size(), 152u);
  const std::pair<size_t, const char*> some_names[] = {
      {0, ";資産コード"},
      {12, "取得年月日"},
      {17, "耐用年数短縮(保証額未満)[圧縮記帳(引当金・積立金)の場合の償却額計算用]"},
      {43, "期首帳簿価額(〃)[圧縮記帳(引当金・積立金)の場合の償却額計算用]"},
      {95, "償却資産資産コード(入力)"},
      {149, "メモ欄上段"},
      {150, "メモ欄下段"},
      {151, ""}};
  for (const auto& [i, name] : some_names) EXPECT_EQ(names[i], name) << i;

  EXPECT_EQ(HeaderLines(Company("", 4))[3], "法人個人区分=個人");
  EXPECT_EQ(HeaderLines(Company("", 3))[3], "法人個人区分=個人");
  EXPECT_EQ(HeaderLines(Company("", 0))[3], "法人個人区分=法人");
  lines = HeaderLines(Company("", 2, 0, 0));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[2], "顧問先名称=");
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], "事業年度開始日=0");
  EXPECT_EQ(HeaderLines(Company("", 200))[3], "");
  // A line end inside the company name never starts a line of its own.
  lines = HeaderLines(Company("A社\r\nB社,C"));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[2], "顧問先名称=A社  B社,C");
}

TEST(HeaderTest, LongCompanyNamesAreCutAt152BytesOnACharacterBoundary) {
  std::vector<std::string> lines = HeaderLines(Company(std::string(141, 'c')));
  EXPECT_EQ(lines[2], "顧問先名称=" + std::string(141, 'c'));
  EXPECT_EQ(lines[2].size(), 152u);
  lines = HeaderLines(Company(std::string(259, 'c')));
  EXPECT_EQ(lines[2], "顧問先名称=" + std::string(141, 'c'));
  // The 152nd byte would be the first byte of "社": the line keeps 151.
  lines = HeaderLines(Company(std::string(140, 'c') + "社名"));
  EXPECT_EQ(lines[2], "顧問先名称=" + std::string(140, 'c'));
  // A name that fills its whole field, without a terminator, is read within it.
  StDATAINFO full = Company("");
  std::memset(full.szCompanyName, 'd', sizeof full.szCompanyName);
  lines = HeaderLines(full);
  EXPECT_EQ(lines[2], "顧問先名称=" + std::string(141, 'd'));
}

TEST(ErrorLogTest, EntriesEndInCrLfAndAreCutOnACharacterBoundary) {
  RowRun run;
  run.exporter().WriteErrorLog("\n＜ERROR＞\nfirst\nsecond");
  run.exporter().WriteErrorLog(std::string(200, 'e').c_str());
  std::string split = std::string(151, 'f') + "字";  // 152nd byte starts a character
  run.exporter().WriteErrorLog(split.c_str());
  run.exporter().WriteErrorLog("");
  EXPECT_EQ(run.log(), "\n＜ERROR＞\nfirst\nsecond\r\n" + std::string(152, 'e') + "\r\n" +
                           std::string(151, 'f') + "\r\n\r\n");
}

TEST(ErrorLogTest, AnEarlierLogIsEmptiedWhenTheExportStarts) {
  testenv::ScratchDir dir("zel_export");
  {
    std::ofstream old(dir.Host(kErrorLogName));
    old << "left from an earlier run";
  }
  AssetExporter exporter(kErrorLogName);
  exporter.SetOutputPath(dir.Windows("out.csv").c_str());
  StDATAINFO info{};
  exporter.OpenAssetFile(&info);
  exporter.CloseOutput(0);
  exporter.CloseOutput(2);
  exporter.CommitOutputs();
  EXPECT_EQ(ReadFile(dir.Host(kErrorLogName)), "");
}

StSHISANKUBUNINFO Category(int32_t code, const std::string& name, int16_t method, int32_t ratio = 0) {
  StSHISANKUBUNINFO c{};
  c.lCode = code;
  std::memcpy(c.szName, name.data(), std::min(name.size(), sizeof c.szName));
  c.sMethodCode = method;
  c.lResidualRatio = ratio;
  return c;
}

// The asset type file of a company with the given categories.
std::vector<std::string> TypeFile(StDATAINFO info, std::vector<StSHISANKUBUNINFO> categories) {
  testenv::ScratchDir dir("zel_export");
  AssetExporter exporter(kErrorLogName);
  exporter.SetDateSource(FixedDate);
  std::string path = dir.Windows("assets.csv");
  exporter.SetOutputPath(path.c_str());
  exporter.OpenAssetFile(&info);
  exporter.CloseOutput(0);
  exporter.CloseOutput(2);
  exporter.OpenOutput(1);
  exporter.WriteTypeHeader(&info);
  for (StSHISANKUBUNINFO& c : categories) exporter.WriteTypeRow(&c);
  exporter.CloseOutput(1);
  EXPECT_TRUE(exporter.CommitOutputs());
  EXPECT_TRUE(exporter.Succeeded());
  return Split(ReadFile(dir.Host("syurui.SSC")), "\r\n");
}

TEST(TypeFileTest, HeaderBlock) {
  EXPECT_EQ(TypeFile(Company("", 1), {}), TypeFileHeader());
  std::vector<std::string> individual = TypeFile(Company("", 4), {});
  EXPECT_EQ(individual[2], ";顧問先\t\t：[0004 個人関与先]");
  EXPECT_EQ(individual[10], "HoujinKojinKubun=2");
  std::vector<std::string> neither = TypeFile(Company("", 2), {});
  ASSERT_EQ(neither.size(), 17u);
  EXPECT_EQ(neither[2], "");
  EXPECT_EQ(neither[10], "");
}

TEST(TypeFileTest, CategoryRows) {
  std::vector<std::string> lines = TypeFile(Company(""), {
                                                             Category(1, "建物", 1),
                                                             Category(2, "構築物", 2, 15),
                                                             Category(3, "機械装置", 3),
                                                             Category(4, "一括", 4),
                                                             Category(5, "器具備品", 6),
                                                             Category(9, "繰延資産", 2),
                                                             Category(9, "繰延", 4),
                                                             Category(10, "abcdefghijkl", 7, 3),
                                                             Category(11, "土地土地土地土地", 6),
                                                             Category(123, "大きな番号", 0),
                                                             Category(0, "", 5),
                                                             Category(1, "a,b", 1),
                                                         });
  ASSERT_EQ(lines.size(), 17u + 12u);
  std::vector<std::string> expected = {
      "01,建物,有形固定資産,償却資産,定率法,除却日まで償却,10,5,申告なし,0.00,100.00,100.00,100.00,0.00,100."
      "00,該当しない",
      "02,構築物,有形固定資産,償却資産,定額法,除却日まで償却,15,5,構築物,0.00,100.00,100.00,100.00,0.00,100."
      "00,該当しない",
      "03,機械装置,有形固定資産,償却資産,定率法,除却日まで償却,10,5,機械及び装置,0.00,100.00,100.00,100.00,0."
      "00,100.00,該当しない",
      "04,一括,有形固定資産,償却資産,一括決算,除却日まで償却,10,5,申告なし,0.00,100.00,100.00,100.00,0.00,"
      "100.00,該当しない",
      "05,器具備品,有形固定資産,償却資産,定率法,除却日まで償却,10,5,工具器具及び備品,0.00,100.00,100.00,100."
      "00,0.00,100.00,該当しない",
      "09,繰延資産,繰延資産,償却資産,均等償却,除却日まで償却,0,0,申告なし,0.00,100.00,100.00,100.00,0.00,100."
      "00,該当しない",
      "09,繰延,繰延資産,償却資産,一括決算,除却日まで償却,0,0,申告なし,0.00,100.00,100.00,100.00,0.00,100.00,"
      "該当しない",
      "10,abcdefghijkl,有形固定資産,償却資産,定率法,除却日まで償却,3,10,申告なし,0.00,100.00,100.00,100.00,0."
      "00,100.00,該当しない",
      "11,土地土地土地,有形固定資産,非償却資産,,,0,0,申告なし,0.00,0.00,0.00,0.00,0.00,0.00,該当しない",
      "12,大きな番号,有形固定資産,償却資産,定率法,除却日まで償却,10,5,,0.00,100.00,100.00,100.00,0.00,100.00,"
      "該当しない",
      "00,,有形固定資産,償却資産,定率法,除却日まで償却,10,5,,0.00,100.00,100.00,100.00,0.00,100.00,"
      "該当しない",
      "01,a､b,有形固定資産,償却資産,定率法,除却日まで償却,10,5,申告なし,0.00,100.00,100.00,100.00,0.00,100."
      "00,該当しない",
  };
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 17, lines.end()), expected);
  for (size_t i = 17; i < lines.size(); ++i) EXPECT_EQ(Fields(lines[i]).size(), 16u);
}

// What the exporter keeps about its files.
struct StatusRun {
  AssetExporter exporter{kErrorLogName};
  int failed_rows = 0;  // WriteRow said the row was not written
  explicit StatusRun(const std::string& path) {
    exporter.SetDateSource(FixedDate);
    exporter.SetOutputPath(path.c_str());
    StDATAINFO info{};
    exporter.OpenAssetFile(&info);
    for (int i = 0; i < 3000; ++i) {
      StKOTEISHISANINFO m = Asset("1");
      std::strcpy(m.szMemo, std::string(60, 'm').c_str());  // a remark for every row
      StKOTEINENINFO y{};
      StKOTEITSUKIINFO month{};
      StIKKATSUINFO item{};
      failed_rows += exporter.WriteRow(&m, &y, &month, &item) == 0;
    }
    // The 100th item of a lump-sum asset gives no row, which is no failure.
    StKOTEISHISANINFO lump = Asset("2", 4);
    StKOTEINENINFO y{};
    StKOTEITSUKIINFO month{};
    StIKKATSUINFO item = Item(100);
    failed_rows += exporter.WriteRow(&lump, &y, &month, &item) == 0;
    exporter.CloseOutput(0);
    exporter.CloseOutput(2);
    exporter.OpenOutput(1);
    exporter.WriteTypeHeader(&info);
    exporter.CloseOutput(1);
    exporter.CommitOutputs();
  }
};

TEST(FileStatusTest, ASoundRunSucceeds) {
  testenv::ScratchDir dir("zel_export");
  StatusRun run(dir.Windows("out.csv"));
  EXPECT_TRUE(run.exporter.Succeeded());
  EXPECT_EQ(run.exporter.FailedOutput(), -1);
  EXPECT_EQ(run.failed_rows, 0);
  EXPECT_EQ(run.exporter.Paths().Path(0), dir.Windows("out.csv"));
  EXPECT_EQ(run.exporter.Paths().Path(1), dir.Windows("syurui.SSC"));
  EXPECT_EQ(run.exporter.Paths().Path(2), dir.Windows(kErrorLogName));
  EXPECT_STREQ(run.exporter.Paths().Path(3), "");
}

TEST(FileStatusTest, FilesThatCannotBeOpenedOrWritten) {
  testenv::ScratchDir dir("zel_export");
  {
    // No folder: nothing can be opened.
    StatusRun run(dir.Windows("missing\\out.csv"));
    EXPECT_FALSE(run.exporter.Succeeded());
    EXPECT_EQ(run.exporter.FailedOutput(), 0);
    EXPECT_EQ(run.failed_rows, 3000);
  }
  {
    // The error log's name is taken by a folder: the log cannot take its
    // name, so none of the files does, and an earlier export stays whole.
    std::ofstream(dir.Host("out.csv")) << "earlier";
    ASSERT_TRUE(std::filesystem::create_directory(dir.Host(kErrorLogName)));
    StatusRun run(dir.Windows("out.csv"));
    EXPECT_EQ(run.exporter.FailedOutput(), 2);
    EXPECT_EQ(run.exporter.FailedOutputs(), 1u << 2);
    EXPECT_EQ(run.exporter.Paths().Path(2), dir.Windows(kErrorLogName));
    EXPECT_EQ(ReadFile(dir.Host("out.csv")), "earlier");
    EXPECT_FALSE(std::filesystem::exists(dir.Host("syurui.SSC")));
    std::filesystem::remove(dir.Host(kErrorLogName));
  }
#ifndef _WIN32
  {
    // A device without room behind a link: written in place, and the writes
    // or the close fail. The link stays a link. (Windows has no such device.)
    ASSERT_EQ(symlink("/dev/full", dir.Host("full.csv").c_str()), 0);
    StatusRun run(dir.Windows("full.csv"));
    EXPECT_FALSE(run.exporter.Succeeded());
    EXPECT_EQ(run.exporter.FailedOutputs(), 1u << 0);
    EXPECT_GT(run.failed_rows, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Host("full.csv")));
  }
#endif
  // No temporary file is left behind by any of the runs above.
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().find("~zel"), std::string::npos) << entry.path();
}

// Links and POSIX permissions: the Linux build's.
#ifndef _WIN32
TEST(FileStatusTest, FilesAreReplacedWholeAndKeepTheirPermissions) {
  testenv::ScratchDir dir("zel_export");
  // A link to a regular file elsewhere is written through and stays a link.
  testenv::ScratchDir elsewhere("zel_export");
  std::ofstream(elsewhere.Host("target.csv")) << "old";
  ASSERT_EQ(symlink(elsewhere.Host("target.csv").c_str(), dir.Host("link.csv").c_str()), 0);
  {
    StatusRun run(dir.Windows("link.csv"));
    EXPECT_TRUE(run.exporter.Succeeded());
  }
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Host("link.csv")));
  EXPECT_EQ(Split(ReadFile(elsewhere.Host("target.csv")), "\r\n").size(), 7u + 3000u);

  std::ofstream(dir.Host("out.csv")) << "old";
  ASSERT_EQ(chmod(dir.Host("out.csv").c_str(), 0604), 0);
  struct stat before {};
  ASSERT_EQ(stat(dir.Host("out.csv").c_str(), &before), 0);
  {
    StatusRun run(dir.Windows("out.csv"));
    EXPECT_TRUE(run.exporter.Succeeded());
  }
  struct stat after {};
  ASSERT_EQ(stat(dir.Host("out.csv").c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);  // a new file took the name
  EXPECT_EQ(after.st_mode & 0777, 0604u);
  EXPECT_EQ(Split(ReadFile(dir.Host("out.csv")), "\r\n").size(), 7u + 3000u);
  // An exporter that is destroyed before its commit leaves nothing of its run.
  {
    AssetExporter exporter(kErrorLogName);
    exporter.SetOutputPath(dir.Windows("out.csv").c_str());
    StDATAINFO info{};
    exporter.OpenAssetFile(&info);
    EXPECT_FALSE(exporter.Succeeded());
  }
  EXPECT_EQ(Split(ReadFile(dir.Host("out.csv")), "\r\n").size(), 7u + 3000u);
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().filename().string().find("~zel"), std::string::npos) << entry.path();
}

#endif

TEST(FileStatusTest, ANewPathDiscardsTheFilesOfTheEarlierOne) {
  testenv::ScratchDir dir("zel_export");
  AssetExporter exporter(kErrorLogName);
  exporter.SetOutputPath(dir.Windows("a.csv").c_str());
  StDATAINFO info{};
  exporter.OpenAssetFile(&info);
  // The writer's files refer to the paths: none of the first may outlive them.
  exporter.SetOutputPath(dir.Windows("b.csv").c_str());
  EXPECT_EQ(exporter.Paths().Path(kErrorLogFile), dir.Windows(kErrorLogName));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(FileStatusTest, DerivedFilesWithoutASoundPathAreNeverWritten) {
  testenv::ScratchDir dir("zel_export");
  {
    // No "\" at all: both siblings would be the asset data file.
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    StatusRun run("out.csv");
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_EQ(run.exporter.FailedOutputs(), (1u << 1) | (1u << 2));
    EXPECT_STREQ(run.exporter.Paths().Path(1), "");
    EXPECT_STREQ(run.exporter.Paths().Path(2), "");
    // The run failed as a whole: not even the asset data file is written.
    EXPECT_FALSE(std::filesystem::exists(dir.Host("out.csv")));
    EXPECT_FALSE(std::filesystem::exists(dir.Host("syurui.SSC")));
  }
  {
    // The asset data file named like the asset type file.
    StatusRun run(dir.Windows("SYURUI.ssc"));
    EXPECT_EQ(run.exporter.FailedOutput(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.Host("SYURUI.ssc")));
  }
  {
    // The derived paths would exceed 260 bytes.
    std::string folder(250 - (dir.Windows("x").size() - 1), 'a');
    ASSERT_TRUE(std::filesystem::create_directory(dir.Host(folder)));
    std::string path = dir.Windows(folder + "/x");
    ASSERT_EQ(path.size(), 252u);
    // (The folder leaves no room for a temporary name either: the file is
    // written in place, and removed again with the failed run.)
    StatusRun run(path);
    EXPECT_EQ(run.exporter.FailedOutput(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.Host(folder + "/x")));
    EXPECT_FALSE(std::filesystem::exists(dir.Host(folder + "/" + kErrorLogName)));
  }
  {
    // An output path over 260 bytes is never shortened into another file.
    std::string path = dir.Windows(std::string(300, 'p'));
    StatusRun run(path);
    EXPECT_EQ(run.exporter.FailedOutput(), 0);
    EXPECT_STREQ(run.exporter.Paths().Path(0), "");
  }
}

}  // namespace

namespace {

const char* told_text = nullptr;
void Tell(const char* text) { told_text = text; }

TEST(FileStatusTest, ARunWaitsForTheFolderAndGivesUpWithNothingWritten) {
  testenv::ScratchDir dir("zel_export");
  outputcommit::FolderLock other;  // another run that holds the folder
  ASSERT_EQ(other.Acquire(outputcommit::FolderOf(dir.Windows("out.csv").c_str()).c_str(), 0, nullptr),
            outputcommit::FolderLock::Result::kLocked);
  StDATAINFO info = Company("株式会社テスト");
  AssetExporter exporter(kErrorLogName);
  exporter.SetOutputPath(dir.Windows("out.csv").c_str());
  exporter.SetOutputLockWait(200, Tell);
  exporter.OpenAssetFile(&info);
  EXPECT_EQ(exporter.ExportAssets(), 0);
  EXPECT_EQ(exporter.ExportAssetTypes(&info), 0);
  EXPECT_TRUE(exporter.OutputBusy());
  EXPECT_FALSE(exporter.Succeeded());
  ASSERT_NE(told_text, nullptr);
  EXPECT_NE(std::string(told_text).find("待っています"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.Host("out.csv")));
  EXPECT_FALSE(std::filesystem::exists(dir.Host("syurui.SSC")));
}

}  // namespace
