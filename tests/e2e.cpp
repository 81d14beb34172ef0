// The end-to-end fixture: per-test folders and stores, running a program.
#include "tests/e2e.h"

#include <fcntl.h>
#include <iconv.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
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

static pid_t SpawnNoWait(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         const std::string& cwd, const std::string& out, const std::string& err,
                         long file_size_limit = 0) {
  pid_t pid = fork();
  if (pid == 0) {
    if (file_size_limit > 0) {
      // Writes beyond the limit fail with EFBIG instead of ending the program.
      signal(SIGXFSZ, SIG_IGN);
      struct rlimit limit = {static_cast<rlim_t>(file_size_limit), static_cast<rlim_t>(file_size_limit)};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (chdir(cwd.c_str()) != 0) _exit(127);
    int in = open("/dev/null", O_RDONLY);
    int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(o, 1);
    dup2(e, 2);
    std::vector<char*> a, v;
    for (const auto& s : argv) a.push_back(const_cast<char*>(s.c_str()));
    for (const auto& s : env) v.push_back(const_cast<char*>(s.c_str()));
    a.push_back(nullptr);
    v.push_back(nullptr);
    execve(a[0], a.data(), v.data());
    _exit(127);
  }
  return pid;
}

// The exit status of a child; 128 + the signal for one that was killed.
static int WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

static int Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                 const std::string& cwd, const std::string& out, const std::string& err) {
  return WaitFor(SpawnNoWait(argv, env, cwd, out, err));
}

static std::vector<std::string> BaseEnv() {
  const char* path = std::getenv("PATH");
  return {std::string("PATH=") + (path ? path : "/usr/bin:/bin"), "LANG=C.UTF-8"};
}

void E2eTest::MakeStore(int assets) {
  std::string db = dir_ + "/package.db";
  int rc = Spawn({BinDir() + "/zelpkg", "sample", db, "--assets", std::to_string(assets)}, BaseEnv(), dir_,
                 dir_ + "/zelpkg.out", dir_ + "/zelpkg.err");
  ASSERT_EQ(rc, 0) << ReadFile(dir_ + "/zelpkg.err");
  Sql("UPDATE package SET output_folder = 'E:\\out\\', env_folder = 'E:\\env\\';");
}

void E2eTest::Sql(const std::string& statements, const std::string& db) {
  std::string file = dir_ + "/statements.sql";
  WriteFile(file, statements);
  int rc = Spawn({"/bin/sh", "-c", "sqlite3 \"$0\" < statements.sql", db}, BaseEnv(), dir_, dir_ + "/sql.out",
                 dir_ + "/sql.err");
  ASSERT_EQ(rc, 0) << ReadFile(dir_ + "/sql.err");
}

int E2eTest::Zelpkg(const std::vector<std::string>& args, std::string* out, std::string* err) {
  std::vector<std::string> argv = {BinDir() + "/zelpkg"};
  argv.insert(argv.end(), args.begin(), args.end());
  int rc = Spawn(argv, BaseEnv(), dir_, dir_ + "/zelpkg.out", dir_ + "/zelpkg.err");
  if (out) *out = ReadFile(dir_ + "/zelpkg.out");
  if (err) *err = ReadFile(dir_ + "/zelpkg.err");
  return rc;
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
  return Finish(Start(script, program, env));
}

E2eTest::Started E2eTest::Start(const std::string& script, const std::string& program,
                                const std::vector<std::string>& env, const std::string& tag) {
  Started run;
  run.tag = tag;
  std::string script_file = dir_ + "/script" + tag + ".txt";
  WriteFile(script_file, script);
  std::vector<std::string> vars = BaseEnv();
  vars.push_back("ZEL_UI=script");
  vars.push_back("ZEL_UI_SCRIPT=" + script_file);
  vars.push_back("ZEL_PACKAGE=" + dir_ + "/package.db");
  vars.push_back("ZEL_DRIVES=Z:fixed=/;E:fixed=" + e_ + drives_);
  // An extra entry replaces the one of its name; a bare name removes it.
  for (const std::string& entry : env) {
    std::string name = entry.substr(0, entry.find('='));
    std::erase_if(vars, [&](const std::string& v) { return v.compare(0, name.size() + 1, name + "=") == 0; });
    if (entry.find('=') != std::string::npos) vars.push_back(entry);
  }
  run.start = std::chrono::steady_clock::now();
  std::vector<std::string> argv = {program_dir_ + "/" + program};
  argv.insert(argv.end(), args_.begin(), args_.end());
  run.pid = SpawnNoWait(argv, vars, dir_, dir_ + "/transcript" + tag + ".jsonl",
                        dir_ + "/stderr" + tag + ".txt", file_size_limit_);
  return run;
}

RunResult E2eTest::Finish(const Started& run) {
  RunResult r;
  r.status = WaitFor(run.pid);
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - run.start).count();
  std::istringstream transcript(ReadFile(dir_ + "/transcript" + run.tag + ".jsonl"));
  for (std::string line; std::getline(transcript, line);) {
    r.lines.push_back(line);
    r.events.push_back(nlohmann::json::parse(line, nullptr, false));
  }
  r.errors = ReadFile(dir_ + "/stderr" + run.tag + ".txt");
  return r;
}

}  // namespace e2e
