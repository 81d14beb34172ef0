// The framework's input routing and the script back end's transcript,
// driven through a small dialog of the same shape as the program's.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "platform/test_env.h"
#include "platform/ui/dialog.h"
#include "platform/ui/script_backend.h"

namespace ui {
namespace {

const ControlTemplate kControls[] = {
    {1002, ControlKind::Static, "", 59, 7, 189, 12, SS_CENTERIMAGE, 0},
    {1003, ControlKind::Static, "", 59, 25, 189, 12, SS_CENTERIMAGE, 0},
    {1004, ControlKind::GroupBox, "out", 7, 47, 241, 35, 0, 0},
    {1007, ControlKind::Edit, "", 10, 62, 170, 12, WS_TABSTOP | ES_AUTOHSCROLL, 0},
    {1008, ControlKind::PushButton, "browse", 186, 61, 57, 14, WS_TABSTOP, 0},
    {1005, ControlKind::PushButton, "run", 129, 86, 57, 14, WS_TABSTOP, 0},
    {1006, ControlKind::PushButton, "cancel", 191, 86, 57, 14, WS_TABSTOP, 0},
};
const DialogTemplate kTemplate = {130, "caption", "font", 9, 255, 107, kControls, 7, {1002, 1003, 1007}};

// Records what reached it; F12 is taken in PreTranslateMessage, as the
// program's dialog does.
class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(kTemplate, nullptr) {}
  char company[8] = "ABC";
  char path[16] = {};
  std::vector<std::string> log;
  bool disable_browse = false;

 protected:
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Text(dx, 1002, company, sizeof company);
    DDX_Text(dx, 1007, path, sizeof path);
    DDX_Control(dx, 1008, browse_);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    GetDlgItem(1007)->LimitText(10);
    if (disable_browse) browse_.EnableWindow(FALSE);
    return TRUE;
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    bool shift = GetKeyState(VK_SHIFT) < 0;
    log.push_back("pre " + std::to_string(msg->wParam) + (shift ? " shift" : ""));
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_F12 && !shift) {
      UpdateData(TRUE);
      EndDialog(1005);
      return TRUE;
    }
    return FALSE;
  }
  BOOL OnCommand(int id) override {
    log.push_back("command " + std::to_string(id));
    if (id == 1008) {
      FileDialogRequest r{"title", "C:\\", "a.csv", "CSV", "CSV Files (*.csv)|*.csv||", OFN_HIDEREADONLY};
      std::string chosen;
      if (ShowFileSaveDialog(this, r, &chosen)) GetDlgItem(1007)->SetWindowText(chosen.c_str());
      return TRUE;
    }
    if (id == 1006) {
      OnCancel();
      return TRUE;
    }
    return FALSE;
  }
  void OnCancel() override {
    MessageBox("stop", "caption", MB_OK | MB_ICONINFORMATION);
    EndDialog(1006);
  }

 private:
  CWnd browse_;
};

class TestApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    TestDialog dialog;
    dialog.disable_browse = disable_browse;
    code = static_cast<int>(dialog.DoModal());
    log = dialog.log;
    path = dialog.path;
    focus_after = dialog.GetFocus() ? dialog.GetFocus()->GetDlgCtrlID() : 0;
    return code == 1005;
  }
  int ExitInstance() override {
    exit_called = true;
    return CWinApp::ExitInstance();
  }
  bool disable_browse = false;
  int code = 0, focus_after = 0;
  bool exit_called = false;
  std::vector<std::string> log;
  std::string path;
};

struct ScriptRun {
  int status;
  std::vector<nlohmann::json> events;
  std::vector<std::string> lines;  // as written, to check the key order
  TestApp app;
};

void RunScript(const std::string& script, ScriptRun* run) {
  FILE* out = std::tmpfile();
  FILE* err = std::tmpfile();
  ScriptBackend backend(script, out, err);
  run->status = RunApplicationWith(run->app, &backend);
  std::rewind(out);
  char line[4096];
  while (std::fgets(line, sizeof line, out)) {
    run->lines.push_back(line);
    run->lines.back().pop_back();  // the newline
    run->events.push_back(nlohmann::json::parse(line));
  }
  std::fclose(out);
  std::fclose(err);
}

TEST(DialogFramework, DefaultProcessingAfterPreTranslate) {
  ScriptRun r;
  RunScript(
      "# the focus starts on the edit\n"
      "expect focus 1007\n"
      "key Tab\n"
      "expect focus 1008\n"
      "key Shift+Tab\n"
      "key Shift+Tab\n"
      "expect focus 1006\n"
      "key Tab\n"
      "expect focus 1007\n"
      "key Enter\n"  // Enter in the edit does nothing
      "expect focus 1007\n"
      "set 1007 abcdefghijklmnop\n"  // set whole: the limit of 10 bounds typing only
      "expect text 1007 abcdefghijklmnop\n"
      "key Shift+F12\n"  // not taken: default processing ignores it
      "key F12\n",
      &r);
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.app.exit_called);
  EXPECT_EQ(r.app.code, 1005);
  EXPECT_EQ(r.app.path, "abcdefghijklmno");  // data exchange takes what fits its 16 bytes
  std::vector<std::string> want = {"pre 9",  "pre 9 shift",   "pre 9 shift", "pre 9",
                                   "pre 13", "pre 123 shift", "pre 123"};
  EXPECT_EQ(r.app.log, want);
  ASSERT_EQ(r.events.size(), 2u);
  EXPECT_EQ(r.lines[0], R"({"event":"dialog","company":"ABC","period":"","path":"","focus":1007})");
  EXPECT_EQ(r.lines[1], R"({"event":"dialog-end","code":1005})");
}

TEST(DialogFramework, TabSkipsDisabledAndButtonsClickOnEnterAndSpace) {
  ScriptRun r;
  r.app.disable_browse = true;
  RunScript(
      "key Tab\n"
      "expect focus 1005\n"
      "key Space\n"  // clicks 1005: no handler, nothing happens
      "focus 1006\n"
      "key Enter\n"
      "answer ok\n",
      &r);
  EXPECT_EQ(r.status, 1);  // the run ended early
  EXPECT_EQ(r.app.code, 1006);
  std::vector<std::string> want = {"pre 9", "pre 32", "command 1005", "pre 13", "command 1006"};
  EXPECT_EQ(r.app.log, want);
  ASSERT_EQ(r.events.size(), 3u);
  EXPECT_EQ(
      r.lines[1],
      R"({"event":"message","owner":"dialog","caption":"caption","text":"stop","style":64,"answer":"ok"})");
}

TEST(DialogFramework, EscAndCloseReachOnCancel) {
  for (const char* action : {"key Esc", "close", "click 1006"}) {
    ScriptRun r;
    RunScript(std::string(action) + "\nanswer ok\n", &r);
    EXPECT_EQ(r.app.code, 1006) << action;
    ASSERT_EQ(r.events.size(), 3u) << action;
    EXPECT_EQ(r.events[1]["text"], "stop");
  }
}

TEST(DialogFramework, FileDialogAnswers) {
  ScriptRun r;
  RunScript("click 1008\nsave Z:\\tmp\\x.csv\nexpect text 1007 Z:\\tmp\\x.csv\nclick 1008\ncancel\nkey F12\n",
            &r);
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(r.events.size(), 4u);
  EXPECT_EQ(r.lines[1],
            R"({"event":"file-dialog","title":"title","folder":"C:\\","file":"a.csv","ext":"CSV",)"
            R"("filter":"CSV Files (*.csv)|*.csv||","flags":4,"result":"Z:\\tmp\\x.csv"})");
  EXPECT_TRUE(r.events[2]["result"].is_null());
  EXPECT_EQ(r.app.focus_after, 1008);  // a clicked button takes the focus
}

TEST(DialogFramework, ScriptErrorsEndTheRunThroughExitInstance) {
  struct Case {
    const char* script;
    int line;
  } cases[] = {
      {"key Esc\nanswer yes\n", 2},  // an OK box offers no yes
      {"key Esc\n", 2},              // the script ends at the box
      {"expect focus 1008\n", 1},
      {"expect text 1002 XYZ\n", 1},
      {"click 1002\n", 1},  // not a button
      {"set 1008 x\n", 1},  // not an edit
      {"focus 999\n", 1},
      {"answer ok\n", 1},  // no box on screen
      {"save C:\\a.csv\n", 1},
      {"key PageUp\n", 1},
      {"frobnicate\n", 1},
      {"\n# nothing\n", 3},  // ended while input is awaited
  };
  for (const Case& c : cases) {
    ScriptRun r;
    RunScript(c.script, &r);
    EXPECT_EQ(r.status, 3) << c.script;
    EXPECT_TRUE(r.app.exit_called) << c.script;
    ASSERT_FALSE(r.events.empty()) << c.script;
    EXPECT_EQ(r.events.back()["event"], "script-error") << c.script;
    EXPECT_EQ(r.events.back()["line"], c.line) << c.script;
  }
}

TEST(DialogFramework, NoBackendMeansTheDialogCountsAsQuit) {
  TestApp app;
  EXPECT_EQ(RunApplicationWith(app, nullptr), 1);
  EXPECT_EQ(app.code, -1);
  EXPECT_TRUE(app.exit_called);
}

TEST(DialogFramework, TextExchangeNeverSplitsADoubleByteCharacter) {
  TestDialog d;
  // 7 bytes fit the 8-byte buffer; the 8th byte would start a character.
  d.GetDlgItem(1002)->SetWindowText("abcdefg\x82\xa0");
  d.UpdateData(TRUE);
  EXPECT_STREQ(d.company, "abcdefg");
  d.GetDlgItem(1002)->SetWindowText("abcdef\x82\xa0");
  d.UpdateData(TRUE);
  EXPECT_STREQ(d.company, "abcdef");
  char small[4];
  EXPECT_EQ(d.GetDlgItem(1002)->GetWindowText(small, sizeof small), 3);
}

TEST(ScriptParser, LinesTextsAndKeys) {
  int lines = 0;
  auto a = ParseScript(
      "\xEF\xBB\xBFset 1007  two  blanks \r\n\n  # note\nset 1007\nkey Ctrl+Shift+Tab\n"
      "expect text 1002 \xE6\xBC\xA2\nclose now\n",
      &lines);
  EXPECT_EQ(lines, 7);
  ASSERT_EQ(a.size(), 5u);
  EXPECT_EQ(a[0].kind, ScriptAction::kSet);
  EXPECT_EQ(a[0].text, " two  blanks ");  // the rest after one blank, CR dropped
  EXPECT_EQ(a[1].line, 4);
  EXPECT_EQ(a[1].text, "");
  EXPECT_EQ(a[2].key, VK_TAB);
  EXPECT_TRUE(a[2].shift && a[2].ctrl && !a[2].alt);
  EXPECT_EQ(a[3].text, "\x8a\xbf");  // UTF-8 in the script, CP932 inside
  EXPECT_EQ(a[4].kind, ScriptAction::kMalformed);
  EXPECT_EQ(a[4].line, 7);
}

// A back end that aborts the run at the first message box, as a script
// error does, and records the wait cursor.
class AbortingBackend : public ScriptBackend {
 public:
  AbortingBackend() : ScriptBackend("", std::tmpfile(), std::tmpfile()) {}
  int MessageBox(HWND, const char*, const char*, UINT) override { throw RunAborted{kScriptErrorStatus}; }
  void WaitCursor(bool shown) override { cursor.push_back(shown); }
  std::vector<bool> cursor;
};

class BusyApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    BeginWaitCursor();
    MessageBoxes().Show(nullptr, "done", "caption", MB_OK);
    EndWaitCursor();
    return TRUE;
  }
  int ExitInstance() override {
    exits++;
    return CWinApp::ExitInstance();
  }
  int exits = 0;
};

TEST(DialogFramework, AnAbortedRunTakesTheWaitCursorAwayAndStillExits) {
  AbortingBackend backend;
  BusyApp app;
  EXPECT_EQ(RunApplicationWith(app, &backend), kScriptErrorStatus);
  EXPECT_EQ(app.exits, 1);
  EXPECT_EQ(backend.cursor, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace ui

namespace ui {
namespace {

// Only a regular file of at most 1 MiB is read as a script; anything else is
// said at start-up (none of them may block or grow without end).
TEST(ScriptFile, OnlyARegularFileOfAtMostOneMebibyteIsRead) {
  testenv::ScratchDir dir("script-file");
  std::filesystem::create_directory(dir.Host("folder"));
  std::ofstream(dir.Host("ok.txt"), std::ios::binary) << "key Esc\n";
  std::ofstream(dir.Host("big.txt")) << std::string(kMaxScriptBytes + 1, '#');
#ifndef _WIN32
  ASSERT_EQ(mkfifo(dir.Host("fifo").c_str(), 0600), 0);
#endif
  const struct {
    std::string file;
    const char* error;  // the end of the message, or null for a script read
  } kCases[] = {
      {dir.Host("ok.txt"), nullptr},
      {dir.Host("missing.txt"), ": there is no such file"},
      {dir.Host("folder"), " is a folder, not a script file"},
      {dir.Host("big.txt"), " is longer than a script may be (1 MiB)"},
#ifndef _WIN32
      {dir.Host("fifo"), " is a pipe (FIFO), not a script file"},
      {"/dev/zero", " is a device, not a script file"},
#endif
  };
  for (const auto& c : kCases) {
    std::string script = "old", error;
    bool read = ReadScriptFile(c.file.c_str(), &script, &error);
    EXPECT_EQ(read, c.error == nullptr) << c.file;
    if (c.error) {
      EXPECT_EQ(error, "ZEL_UI_SCRIPT=" + c.file + c.error);
      EXPECT_EQ(script, "");
    } else {
      EXPECT_EQ(script, "key Esc\n");
    }
  }
}

}  // namespace
}  // namespace ui
