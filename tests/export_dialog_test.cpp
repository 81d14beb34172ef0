// The export conditions dialog driven through the framework's modal run and
// input routing, with a back end that plays a list of user actions, records
// every message box and file-save request, and answers them from queues.
#include "dialog/ExportConditionsDlg.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "package/store.h"
#include "package/test_store_builder.h"
#include "platform/test_env.h"
#include "platform/ui/backend.h"
#include "platform/win.h"

namespace {

namespace fs = std::filesystem;
using Action = std::function<void(ui::CDialog&)>;

// The file names a program hands to the dialog: the first program's.
constexpr char kErrorLogName[] = "ZelEnaMx13SysErr.txt";
constexpr char kEnvFileName[] = "ZelEna20ToMx13.env";

struct Box {
  std::string text, caption;
  UINT style;
  bool owned;
};

// What one modal run showed and how it ended.
struct Outcome {
  bool shown = false;
  int shown_focus = 0;     // control focused when first shown
  std::string shown_path;  // the edit's text when first shown
  int code = -1;           // end code; -1 when the actions ran out first
  std::vector<Box> boxes;
  std::vector<ui::FileDialogRequest> file_requests;
  // State when the actions ran out with the dialog still open.
  int focus = 0;
  std::string text;
  int sel_start = 0, sel_end = 0;
};

int FocusId(ui::CDialog& d) { return d.GetFocus() ? d.GetFocus()->GetDlgCtrlID() : 0; }

class FlowBackend : public ui::Backend {
 public:
  FlowBackend(Outcome* out, std::deque<Action> actions, std::deque<int> answers,
              std::deque<std::optional<std::string>> saves)
      : out_(out), actions_(std::move(actions)), answers_(std::move(answers)), saves_(std::move(saves)) {}

  void DialogShown(ui::CDialog& d) override {
    out_->shown = true;
    out_->shown_focus = FocusId(d);
    out_->shown_path = d.GetDlgItem(IDC_OUTPUT_PATH)->GetWindowTextString();
  }
  void NextInput(ui::CDialog& d) override {
    if (actions_.empty()) {
      out_->focus = FocusId(d);
      out_->text = d.GetDlgItem(IDC_OUTPUT_PATH)->GetWindowTextString();
      d.GetDlgItem(IDC_OUTPUT_PATH)->GetSel(&out_->sel_start, &out_->sel_end);
      throw ui::RunAborted{ui::kScriptErrorStatus};
    }
    Action next = std::move(actions_.front());
    actions_.pop_front();
    next(d);
  }
  void DialogEnded(ui::CDialog&, int code) override { out_->code = code; }
  int MessageBox(HWND owner, const char* text, const char* caption, UINT style) override {
    out_->boxes.push_back({text, caption, style, owner != nullptr});
    int answer = IDOK;
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    }
    return answer;
  }
  bool FileSave(ui::CDialog*, const ui::FileDialogRequest& request, std::string* path) override {
    out_->file_requests.push_back(request);
    std::optional<std::string> chosen;
    if (!saves_.empty()) {
      chosen = saves_.front();
      saves_.pop_front();
    }
    if (chosen) *path = *chosen;
    return chosen.has_value();
  }
  void ProcessStarted(const std::string&, const std::string&, bool) override {}
  void ShowLog(const std::string&, bool) override {}

 private:
  Outcome* out_;
  std::deque<Action> actions_;
  std::deque<int> answers_;
  std::deque<std::optional<std::string>> saves_;
};

// Shows the dialog as run control does, for one user and data set.
class FlowApp : public ui::CWinApp {
 public:
  std::string user = "user01";
  int past_results = 0;
  BOOL InitInstance() override {
    CExportConditionsDlg dlg(kErrorLogName, kEnvFileName);
    std::strcpy(dlg.m_szUserID, user.c_str());
    dlg.m_lFirstNo = 1;
    dlg.m_lSecondNo = 7;
    dlg.m_nPastResults = past_results;
    std::strcpy(dlg.m_szCompany, " Company");
    dlg.DoModal();
    return FALSE;
  }
};

Action Key(int vk, bool shift = false) {
  return [=](ui::CDialog& d) { d.KeyDown(vk, shift, false, false); };
}
Action Click(int id) {
  return [=](ui::CDialog& d) { d.Click(id); };
}
Action Focus(int id) {
  return [=](ui::CDialog& d) { d.GetDlgItem(id)->SetFocus(); };
}
Action Type(const std::string& text) {
  return [=](ui::CDialog& d) { d.GetDlgItem(IDC_OUTPUT_PATH)->SetWindowText(text.c_str()); };
}
Action Expect(std::function<void(ui::CDialog&)> check) { return check; }
// Sets the edit's text whole, as the script back end does.
Action SetWhole(const std::string& text) {
  return [=](ui::CDialog& d) { d.InputText(d.IndexOf(IDC_OUTPUT_PATH), text); };
}

const char* const kCaption = "減価償却";
std::string UsedFileMessage(const std::string& file) {
  return "次のファイルは会計データまたはプログラムが使用しているため、出力先にできません。\n\n" + file +
         "\n\n出力先を再入力してください。";
}
const UINT kWarn = MB_OK | MB_ICONEXCLAMATION;
const UINT kQuestion = MB_YESNO | MB_ICONQUESTION;

// A store whose output folder is C:\out\ and whose environment folder is
// C:\cfg\env\ (missing until the first save), with drive C over a temporary
// host folder; also a CD-ROM D and a share \\srv\pub.
class DialogFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root_ + "/c/out");
    fs::create_directories(root_ + "/d");
    fs::create_directories(root_ + "/pub");
    setenv("ZEL_DRIVES", ("C:fixed=" + root_ + "/c;D:cdrom=" + root_ + "/d").c_str(), 1);
    setenv("ZEL_SHARES", ("srv/pub=" + root_ + "/pub").c_str(), 1);
    win::ReloadMappings();
    MakeStore("C:\\out\\", "C:\\cfg\\env\\");
  }
  void TearDown() override {
    package::TheStore().Close();
    unsetenv("ZEL_DRIVES");
    unsetenv("ZEL_SHARES");
    win::ReloadMappings();
  }
  void MakeStore(const std::string& output_folder, const std::string& env_folder) {
    package::TheStore().Close();
    std::string db_path = root_ + "/package.db";
    // SQL strings take "\" as it is.
    std::string sql =
        "UPDATE package SET output_folder = '" + output_folder + "', env_folder = '" + env_folder + "';";
    std::string error;
    ASSERT_TRUE(teststore::Make(db_path, sql, &error)) << error;
    ASSERT_TRUE(package::TheStore().Open(db_path, &error)) << error;
  }
  Outcome Run(std::deque<Action> actions, std::deque<int> answers = {},
              std::deque<std::optional<std::string>> saves = {}, const std::string& user = "user01",
              int past_results = 0) {
    Outcome out;
    FlowBackend backend(&out, std::move(actions), std::move(answers), std::move(saves));
    FlowApp app;
    app.user = user;
    app.past_results = past_results;
    ui::RunApplicationWith(app, &backend);
    return out;
  }
  // Expects a refusal: the message (none when null) and the dialog left open
  // with the focus on the edit and its whole text selected.
  void ExpectRefusal(const Outcome& out, const char* message, size_t boxes_before = 0) {
    EXPECT_EQ(out.code, -1);
    if (message) {
      ASSERT_EQ(out.boxes.size(), boxes_before + 1) << message;
      EXPECT_EQ(out.boxes.back().text, message);
      EXPECT_EQ(out.boxes.back().caption, kCaption);
      EXPECT_EQ(out.boxes.back().style, kWarn);
      EXPECT_TRUE(out.boxes.back().owned);
    } else {
      EXPECT_EQ(out.boxes.size(), boxes_before);
    }
    EXPECT_EQ(out.focus, IDC_OUTPUT_PATH);
    EXPECT_EQ(out.sel_start, 0);
    EXPECT_EQ(out.sel_end, static_cast<int>(out.text.size()));
  }
  // The one question asked was answered No: the dialog stays, nothing more
  // is said.
  void ExpectQuestionDeclined(const Outcome& out, const char* question) {
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_EQ(out.boxes[0].text, question);
    EXPECT_EQ(out.boxes[0].style, kQuestion);
    ExpectRefusal(out, nullptr, 1);
  }
  std::string EnvFile() const {
    std::ifstream in(root_ + "/c/cfg/env/" + kEnvFileName, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  testenv::ScratchDir scratch_{"zel_dialog"};
  const std::string root_ = scratch_.path();
};

TEST_F(DialogFlowTest, OpensWithTheDefaultPathAndEndsOnEveryWayOut) {
  const char* notice = "｢減価償却｣の集計を中止します。";
  std::vector<std::deque<Action>> ways = {{Key(VK_ESCAPE)},
                                          {[](ui::CDialog& d) { d.Close(); }},
                                          {Click(IDC_CANCEL)},
                                          {Focus(IDC_CANCEL), Key(VK_RETURN)}};
  for (auto& way : ways) {
    Outcome out = Run(way);
    EXPECT_TRUE(out.shown);
    EXPECT_EQ(out.shown_path, "C:\\out\\*.csv");
    EXPECT_EQ(out.shown_focus, IDC_OUTPUT_PATH);
    EXPECT_EQ(out.code, IDC_CANCEL);
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_EQ(out.boxes[0].text, notice);
    EXPECT_EQ(out.boxes[0].caption, kCaption);
    EXPECT_EQ(out.boxes[0].style, MB_OK | MB_ICONINFORMATION);
  }

  // Without a default folder of the component: the temporary folder.
  setenv("TMPDIR", (root_ + "/c/out").c_str(), 1);
  MakeStore("", "C:\\cfg\\env\\");
  Outcome out = Run({Key(VK_ESCAPE)});
  unsetenv("TMPDIR");
  EXPECT_EQ(out.shown_path, "C:\\out\\*.csv");
}

TEST_F(DialogFlowTest, PastResultsAreRefusedBeforeAnyInput) {
  Outcome out = Run({}, {}, {}, "user01", 1);
  EXPECT_FALSE(out.shown);
  EXPECT_EQ(out.code, IDC_CANCEL);
  ASSERT_EQ(out.boxes.size(), 1u);
  EXPECT_EQ(out.boxes[0].text,
            "過去実績データは、連携の対象として使用できません。\n\nアプリケーションを終了します。");
  EXPECT_EQ(out.boxes[0].style, kWarn);
  EXPECT_FALSE(fs::exists(root_ + "/c/cfg"));
}

TEST_F(DialogFlowTest, KeysRouteToExecuteAndBrowse) {
  const char* invalid = "データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。";
  // F12 from every control gives the export command; the default path is
  // refused. With Shift held the key is not the command.
  for (int id : {IDC_OUTPUT_PATH, IDC_BROWSE, IDC_EXECUTE, IDC_CANCEL}) {
    Outcome out = Run({Focus(id), Key(VK_F12)});
    ExpectRefusal(out, invalid);
  }
  EXPECT_TRUE(Run({Key(VK_F12, true)}).boxes.empty());
  Outcome done = Run({Type("C:\\out\\a.csv"), Focus(IDC_CANCEL), Key(VK_F12)});
  EXPECT_EQ(done.code, IDC_EXECUTE);

  // Enter in the edit moves the focus to the browse button, or to the
  // execute button while browse is disabled; it never ends the dialog.
  Outcome enter = Run({Key(VK_RETURN)});
  EXPECT_EQ(enter.code, -1);
  EXPECT_EQ(enter.focus, IDC_BROWSE);
  EXPECT_TRUE(enter.boxes.empty());
  Outcome disabled =
      Run({[](ui::CDialog& d) { d.GetDlgItem(IDC_BROWSE)->EnableWindow(FALSE); }, Key(VK_RETURN)});
  EXPECT_EQ(disabled.focus, IDC_EXECUTE);
  // Enter on the execute button runs the checks.
  ExpectRefusal(Run({Focus(IDC_EXECUTE), Key(VK_RETURN)}), invalid);

  // Enter on browse: the file-save dialog starts from the edit's folder and
  // name; a chosen path goes into the edit, and the focus to execute.
  Outcome browse = Run({Type("C:\\out\\x.csv"), Key(VK_RETURN), Key(VK_RETURN), Expect([](ui::CDialog& d) {
                          EXPECT_EQ(FocusId(d), IDC_EXECUTE);
                          EXPECT_EQ(d.GetDlgItem(IDC_OUTPUT_PATH)->GetWindowTextString(), "C:\\out\\b.csv");
                        }),
                        Key(VK_RETURN)},
                       {}, {std::string("C:\\out\\b.csv")});
  ASSERT_EQ(browse.file_requests.size(), 1u);
  const ui::FileDialogRequest& r = browse.file_requests[0];
  EXPECT_EQ(r.title, "保存ファイルを指定");
  EXPECT_EQ(r.folder, "C:\\out\\");
  EXPECT_EQ(r.file, "x.csv");
  EXPECT_EQ(r.ext, "CSV");
  EXPECT_EQ(r.filter, "CSV Files (*.csv)|*.csv||");
  EXPECT_EQ(r.flags, OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
  EXPECT_EQ(browse.code, IDC_EXECUTE);

  // Cancelled: the edit keeps its text; a path without "\" splits at ":".
  Outcome cancelled = Run({Type("C:x.csv"), Click(IDC_BROWSE)}, {}, {std::nullopt});
  EXPECT_EQ(cancelled.file_requests.at(0).folder, "C:");
  EXPECT_EQ(cancelled.file_requests.at(0).file, "x.csv");
  EXPECT_EQ(cancelled.text, "C:x.csv");
  EXPECT_EQ(cancelled.focus, IDC_EXECUTE);
}

TEST_F(DialogFlowTest, EveryRefusalShowsItsMessageAndKeepsTheDialogOpen) {
  const char* no_file = "ファイル名が指定されていません。";
  const char* invalid = "データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。";
  const char* drive = "ドライブ名が有効でありません。\n\n有効なドライブを指定してください。";
  struct Case {
    std::string path;
    const char* message;
  } cases[] = {
      {"", "データ出力先が指定されていません。\n\n出力先を指定してください。"},
      {"C:*.csv", invalid},
      {"C:\\out\\\\a.csv", invalid},
      {"\\\\srv\\\\pub\\a.csv", invalid},
      {"D:\\a.csv", drive},             // CD-ROM
      {"\\\\srv\\pub", drive},          // share without a file
      {"\\\\srv\\none\\a.csv", drive},  // share that cannot be reached
      {"C:\\out\\", no_file},
      {"C:\\out", no_file},  // an existing folder
      // Paths beside which the error log and the asset type file have no
      // sound place.
      {"Cdata.csv", "出力先のフォルダを指定してください。"},
      {"C:\\" + std::string(237, 'a') + "\\x", "出力先のパスが長すぎます。\n\n出力先を再入力してください。"},
      {std::string("C:\\out\\") + kErrorLogName,
       "指定されたファイル名は使用できません。\n\n別のファイル名を指定してください。"},
      {"C:\\out\\SYURUI.ssc", "指定されたファイル名は使用できません。\n\n別のファイル名を指定してください。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Outcome out = Run({Type(c.path), Click(IDC_EXECUTE)});
    ExpectRefusal(out, c.message);
    EXPECT_EQ(out.text, c.path);
  }
  // The longest output path whose derived paths still fit is accepted.
  std::string fits = "C:\\" + std::string(100, 'a') + "\\x";
  EXPECT_EQ(Run({Type(fits), Click(IDC_EXECUTE)}, {IDYES}).code, IDC_EXECUTE);
  EXPECT_EQ(Run({Type("\\\\srv\\pub\\a.csv"), Click(IDC_EXECUTE)}).code, IDC_EXECUTE);
}

TEST_F(DialogFlowTest, MissingFoldersAreCreatedOnYesAndRolledBackOnFailure) {
  const char* create = "指定されたフォルダは存在しません。\n\n作成してもよろしいですか？";
  // No: nothing is created and nothing more is said.
  ExpectQuestionDeclined(Run({Type("C:\\new\\sub\\a.csv"), Click(IDC_EXECUTE)}, {IDNO}), create);
  EXPECT_FALSE(fs::exists(root_ + "/c/new"));

  // Yes: one question, both levels created, the dialog ends.
  Outcome yes = Run({Type("C:\\new\\sub\\a.csv"), Key(VK_F12)}, {IDYES});
  EXPECT_EQ(yes.code, IDC_EXECUTE);
  EXPECT_EQ(yes.boxes.size(), 1u);
  EXPECT_TRUE(fs::is_directory(root_ + "/c/new/sub"));

  // The deeper level cannot be made (its host name is too long): the upper
  // level goes again before the message.
  std::string too_long;
  for (int i = 0; i < 86; ++i) too_long += "\x95\x5C";
  Outcome failed = Run({Type("C:\\up\\" + too_long + "\\a.csv"), Key(VK_F12)}, {IDYES});
  ExpectRefusal(failed, "フォルダの作成に失敗しました。\n\n出力先を再入力してください。", 1);
  EXPECT_FALSE(fs::exists(root_ + "/c/up"));
}

TEST_F(DialogFlowTest, AnExistingFileIsOverwrittenOnlyOnYes) {
  std::ofstream(root_ + "/c/out/a.csv") << "old";
  const char* overwrite = "同名のファイルが存在します。\n\n上書きしてもよろしいですか？";
  ExpectQuestionDeclined(Run({Type("C:\\out\\a.csv"), Key(VK_F12)}, {IDNO}), overwrite);
  Outcome yes = Run({Type("C:\\out\\a.csv"), Key(VK_F12)}, {IDYES});
  EXPECT_EQ(yes.code, IDC_EXECUTE);
}

TEST_F(DialogFlowTest, RemembersThePathPerUserAndDataSet) {
  // The first save creates the missing environment folder and one line.
  {
    CExportConditionsDlg dlg(kErrorLogName, kEnvFileName);
    std::strcpy(dlg.m_szUserID, "b");
    dlg.m_lFirstNo = 1;
    dlg.m_lSecondNo = 7;
    EXPECT_EQ(dlg.SaveRememberedPath("C:\\out\\b.csv"), 1);
    std::strcpy(dlg.m_szUserID, "user01");
    EXPECT_EQ(dlg.SaveRememberedPath("C:\\out\\u.csv"), 1);
  }
  EXPECT_EQ(EnvFile(), "b/1/7:C:\\out\\b.csv\nuser01/1/7:C:\\out\\u.csv\n");

  EXPECT_EQ(Run({Key(VK_ESCAPE)}).shown_path, "C:\\out\\u.csv");
  EXPECT_EQ(Run({Key(VK_ESCAPE)}, {}, {}, "b").shown_path, "C:\\out\\b.csv");
  // A user whose ID ends with "b" is not taken for "b".
  EXPECT_EQ(Run({Key(VK_ESCAPE)}, {}, {}, "ab").shown_path, "C:\\out\\*.csv");
  EXPECT_EQ(Run({Key(VK_ESCAPE)}, {}, {}, "other").shown_path, "C:\\out\\*.csv");

  // An entry with an empty path gives an empty edit.
  {
    CExportConditionsDlg dlg(kErrorLogName, kEnvFileName);
    std::strcpy(dlg.m_szUserID, "user01");
    dlg.m_lFirstNo = 1;
    dlg.m_lSecondNo = 7;
    EXPECT_EQ(dlg.SaveRememberedPath(""), 1);
    char buffer[kPathBufferSize];
    EXPECT_EQ(dlg.LoadRememberedPath(buffer), 1);
    EXPECT_STREQ(buffer, "");
    dlg.m_lSecondNo = 8;  // another data set
    EXPECT_EQ(dlg.LoadRememberedPath(buffer), 0);
  }
  EXPECT_EQ(EnvFile(), "b/1/7:C:\\out\\b.csv\nuser01/1/7:\n");
  EXPECT_EQ(Run({Key(VK_ESCAPE)}).shown_path, "");

  // An environment folder that cannot be made: nothing is stored.
  MakeStore("C:\\out\\", "D:\\env\\");
  CExportConditionsDlg dlg(kErrorLogName, kEnvFileName);
  EXPECT_EQ(dlg.SaveRememberedPath("C:\\out\\x.csv"), 0);
  // Nor one that exists but cannot be written.
  fs::create_directories(root_ + "/d/env");
  EXPECT_EQ(dlg.SaveRememberedPath("C:\\out\\x.csv"), 0);
  EXPECT_TRUE(fs::is_empty(root_ + "/d/env"));
  MakeStore("C:\\out\\", "");
  EXPECT_EQ(dlg.SaveRememberedPath("C:\\out\\x.csv"), 0);
}

TEST_F(DialogFlowTest, NoExportFileMayBeAFileTheRunUses) {
  // Drive F over the folder of the store, so that the same files have other
  // names, and drive P over the program's folder (a program that no drive
  // reaches does not start); links in C:\out lead to the store and to the
  // program.
  const fs::path program = fs::read_symlink("/proc/self/exe");
  setenv("ZEL_DRIVES",
         ("C:fixed=" + root_ + "/c;F:fixed=" + root_ + ";P:fixed=" + program.parent_path().string()).c_str(),
         1);
  win::ReloadMappings();
  fs::create_symlink(root_ + "/package.db", root_ + "/c/out/store.csv");
  fs::create_symlink(program, root_ + "/c/out/program.csv");
  const auto store_size = fs::file_size(root_ + "/package.db");
  const std::string env = std::string("C:\\cfg\\env\\") + kEnvFileName;
  // The environment file before it exists: its folder is made on Yes, and
  // the name in it is refused all the same.
  Outcome out = Run({Type(env), Key(VK_F12)}, {IDYES});
  ExpectRefusal(out, UsedFileMessage(env).c_str(), 1);
  EXPECT_TRUE(fs::is_directory(root_ + "/c/cfg/env"));
  {
    CExportConditionsDlg dlg(kErrorLogName, kEnvFileName);
    ASSERT_EQ(dlg.SaveRememberedPath("C:\\out\\a.csv"), 1);
  }
  const std::string env_file = EnvFile();

  for (const std::string& path :
       {std::string("F:\\package.db"), std::string("f:\\c\\out\\..\\..\\package.db"),
        std::string("C:\\out\\store.csv"), std::string("C:\\out\\program.csv"), env,
        "F:\\c\\cfg\\env\\" + std::string(kEnvFileName)}) {
    SCOPED_TRACE(path);
    out = Run({Type(path), Key(VK_F12)}, {IDYES});
    ExpectRefusal(out, UsedFileMessage(path).c_str());
    EXPECT_EQ(out.text, path);
  }
  // A derived file: the asset type file beside the output is the store.
  fs::create_symlink(root_ + "/package.db", root_ + "/c/out/syurui.SSC");
  ExpectRefusal(Run({Type("C:\\out\\a.csv"), Key(VK_F12)}), UsedFileMessage("C:\\out\\syurui.SSC").c_str());
  fs::remove(root_ + "/c/out/syurui.SSC");

  EXPECT_EQ(EnvFile(), env_file);
  EXPECT_EQ(fs::file_size(root_ + "/package.db"), store_size);
  EXPECT_EQ(Run({Type("C:\\out\\a.csv"), Key(VK_F12)}).code, IDC_EXECUTE);
}

TEST_F(DialogFlowTest, ThePackageFilesAreRefusedAlsoWhereTheStoreIsOnNoDrive) {
  // The store beside drive C's folder is on no drive; links in C:\out lead
  // to it and to its folder, where its journal files are not made yet.
  fs::create_symlink(root_ + "/package.db", root_ + "/c/out/store.csv");
  fs::create_hard_link(root_ + "/package.db", root_ + "/c/out/hard.csv");
  fs::create_directory_symlink(root_, root_ + "/c/out/db");
  for (const char* path :
       {"C:\\out\\store.csv", "C:\\out\\hard.csv", "C:\\out\\db\\package.db",
        "C:\\out\\db\\package.db-journal", "C:\\out\\db\\package.db-wal", "C:\\out\\db\\package.db-shm"}) {
    SCOPED_TRACE(path);
    ExpectRefusal(Run({Type(path), Key(VK_F12)}), UsedFileMessage(path).c_str());
  }
  EXPECT_EQ(Run({Type("C:\\out\\db\\package.db-old"), Key(VK_F12)}).code, IDC_EXECUTE);
}

TEST_F(DialogFlowTest, APathThatWouldBeCutIsRefusedNotShortened) {
  const char* too_long = "出力先のパスが長すぎます。\n\n出力先を再入力してください。";
  const char* invalid = "データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。";
  // 260 bytes fit the path buffers; one more would be cut to another file.
  std::string fits = "C:\\out\\" + std::string(249, 'a') + ".csv";
  ASSERT_EQ(fits.size(), 260u);
  std::string longer = "C:\\out\\" + std::string(250, 'a') + ".csv";
  EXPECT_EQ(Run({SetWhole(fits), Key(VK_F12)}).code, IDC_EXECUTE);
  Outcome out = Run({SetWhole(longer), Key(VK_F12)});
  ExpectRefusal(out, too_long);
  EXPECT_EQ(out.text, longer);

  // From the file-save dialog: shown whole, then refused.
  out = Run({Click(IDC_BROWSE), Expect([&](ui::CDialog& d) {
               EXPECT_EQ(d.GetDlgItem(IDC_OUTPUT_PATH)->GetWindowTextString(), longer);
             }),
             Key(VK_F12)},
            {}, {longer});
  ExpectRefusal(out, too_long);
  EXPECT_EQ(out.text, longer);

  // A control character, or a NUL byte at which the text would end.
  ExpectRefusal(Run({SetWhole("C:\\out\\a\x1f.csv"), Key(VK_F12)}), invalid);
  ExpectRefusal(Run({SetWhole(std::string("C:\\out\\a.csv\0.txt", 17)), Key(VK_F12)}), invalid);
  EXPECT_TRUE(fs::is_empty(root_ + "/c/out"));
}

TEST_F(DialogFlowTest, AFifoAtTheEnvironmentFileIsNeitherReadNorReplaced) {
  fs::create_directories(root_ + "/c/cfg/env");
  std::string fifo = root_ + "/c/cfg/env/" + kEnvFileName;
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  alarm(10);  // opened, the FIFO would block the dialog for good
  EXPECT_EQ(Run({Key(VK_ESCAPE)}).shown_path, "C:\\out\\*.csv");
  CExportConditionsDlg dlg(kErrorLogName, kEnvFileName);
  EXPECT_EQ(dlg.SaveRememberedPath("C:\\out\\a.csv"), 0);
  alarm(0);
  EXPECT_TRUE(fs::is_fifo(fifo));
}

}  // namespace
