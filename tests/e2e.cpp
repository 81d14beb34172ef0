// The end-to-end fixture: per-test folders and stores, running a program.
#include "tests/e2e.h"

#include <iconv.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace e2e {
namespace fs = std::filesystem;

const char* const kCancelNotice = "｢減価償却｣の集計を中止します。";
const char* const kPastResults =
    "過去実績データは、連携の対象として使用できません。\n\nアプリケーションを終了します。";
const char* const kNoPath = "データ出力先が指定されていません。\n\n出力先を指定してください。";
const char* const kInvalidChars =
    "データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。";
const char* const kInvalidDrive = "ドライブ名が有効でありません。\n\n有効なドライブを指定してください。";
const char* const kNoFileName = "ファイル名が指定されていません。";
const char* const kFolderQuestion = "指定されたフォルダは存在しません。\n\n作成してもよろしいですか？";
const char* const kFolderFailed = "フォルダの作成に失敗しました。\n\n出力先を再入力してください。";
const char* const kOverwriteQuestion = "同名のファイルが存在します。\n\n上書きしてもよろしいですか？";
const char* const kFinishedWithRemarks =
    "減価償却情報の出力が一応終了しました。\n\nアプリケーションを終了します。";
const char* const kExportFailedStart = "減価償却情報の出力に失敗しました。";

std::string SuccessMessage(const std::string& data_file, const std::string& type_file) {
  return "減価償却情報の出力が正常に終了しました。\n\n償却資産データ ⇒ " + data_file +
         "    \n資産種類データ ⇒ " + type_file + "    \n\nアプリケーションを終了します。";
}

std::vector<nlohmann::json> RunResult::Of(const std::string& event) const {
  std::vector<nlohmann::json> out;
  for (const auto& e : events)
    if (e.value("event", "") == event) out.push_back(e);
  return out;
}

std::vector<std::string> RunResult::Messages() const {
  std::vector<std::string> out;
  for (const auto& e : Of("message")) out.push_back(e["text"].get<std::string>());
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}
bool IsDir(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

static std::string Convert(const std::string& text, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  std::string out(text.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(text.data());
  size_t in_left = text.size();
  char* o = out.data();
  size_t out_left = out.size();
  iconv(cd, &in, &in_left, &o, &out_left);
  iconv_close(cd);
  out.resize(out.size() - out_left);
  return out;
}
std::string ToCp932(const std::string& utf8) { return Convert(utf8, "CP932", "UTF-8"); }
std::string FromCp932(const std::string& cp932) { return Convert(cp932, "UTF-8", "CP932"); }

static std::string BinDir() {
  // CTest says where the programs are; run by hand, they lie beside the
  // test's own folder.
  const char* bin = std::getenv("ZEL_BIN_DIR");
  if (bin && bin[0]) return bin;
  std::error_code ec;
  return (fs::read_symlink("/proc/self/exe", ec).parent_path().parent_path() / "bin").string();
}

void E2eTest::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  dir_ =
      (fs::path(BinDir()).parent_path() / "e2e" / (std::string(info->test_suite_name()) + "." + info->name()))
          .string();
  fs::remove_all(dir_);
  e_ = dir_ + "/e";
  fs::create_directories(e_);
  program_dir_ = BinDir();
}

testenv::Program E2eTest::Tool(std::vector<std::string> argv) const {
  const char* path = std::getenv("PATH");
  return {.argv = std::move(argv),
          .env = {std::string("PATH=") + (path ? path : "/usr/bin:/bin"), "LANG=C.UTF-8"},
          .clean_env = true,
          .folder = dir_};
}

void E2eTest::MakeStore(int assets) {
  testenv::ProgramResult r = testenv::RunProgram(
      Tool({BinDir() + "/zelpkg", "sample", dir_ + "/package.db", "--assets", std::to_string(assets)}));
  ASSERT_EQ(r.status, 0) << r.err;
  Sql("UPDATE package SET output_folder = 'E:\\out\\', env_folder = 'E:\\env\\';");
}

void E2eTest::Sql(const std::string& statements, const std::string& db) {
  testenv::Program sqlite = Tool({"sqlite3", db});
  sqlite.input = statements;
  testenv::ProgramResult r = testenv::RunProgram(sqlite);
  ASSERT_EQ(r.status, 0) << r.err;
}

int E2eTest::Zelpkg(const std::vector<std::string>& args, std::string* out, std::string* err) {
  std::vector<std::string> argv = {BinDir() + "/zelpkg"};
  argv.insert(argv.end(), args.begin(), args.end());
  testenv::ProgramResult r = testenv::RunProgram(Tool(argv));
  if (out) *out = r.out;
  if (err) *err = r.err;
  return r.status;
}

void E2eTest::UseProgramCopy(const std::string& program, const char* orvik_ini, const std::string& folder) {
  program_dir_ = dir_ + "/" + folder;
  fs::create_directories(program_dir_);
  fs::copy_file(BinDir() + "/" + program, program_dir_ + "/" + program, fs::copy_options::overwrite_existing);
  fs::remove(program_dir_ + "/OrvikDef.ini");
  if (orvik_ini) WriteFile(program_dir_ + "/OrvikDef.ini", orvik_ini);
}

RunResult E2eTest::Run(const std::string& script, const std::string& program,
                       const std::vector<std::string>& env) {
  return Result(testenv::RunProgram(Prepare(script, program, env)));
}

testenv::Program E2eTest::Prepare(const std::string& script, const std::string& program,
                                  const std::vector<std::string>& env, const std::string& tag) {
  std::string script_file = dir_ + "/script" + tag + ".txt";
  WriteFile(script_file, script);
  std::vector<std::string> argv = {program_dir_ + "/" + program};
  argv.insert(argv.end(), args_.begin(), args_.end());
  testenv::Program run = Tool(argv);
  run.env.insert(run.env.end(),
                 {"ZEL_UI=script", "ZEL_UI_SCRIPT=" + script_file, "ZEL_PACKAGE=" + dir_ + "/package.db",
                  "ZEL_DRIVES=Z:fixed=/;E:fixed=" + e_ + drives_});
  run.env.insert(run.env.end(), env.begin(), env.end());
  if (file_size_limit_ > 0) run.limits = {{RLIMIT_FSIZE, file_size_limit_}};
  return run;
}

RunResult E2eTest::Result(const testenv::ProgramResult& ran) {
  RunResult r;
  r.status = ran.status;
  r.seconds = ran.seconds;
  std::istringstream transcript(ran.out);
  for (std::string line; std::getline(transcript, line);) {
    r.lines.push_back(line);
    r.events.push_back(nlohmann::json::parse(line, nullptr, false));
  }
  r.errors = ran.err;
  return r;
}

}  // namespace e2e
