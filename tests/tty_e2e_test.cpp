// The terminal dialog driven as a person drives it: the built program runs
// in a tmux pane of a fixed size; keys go in with send-keys and the screen
// comes back with capture-pane. Stores are made per test as for the other
// end-to-end tests. This file is compiled as UTF-8.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "dialog/ExportConditionsDlg.h"
#include "tests/e2e.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kRows = 30, kCols = 100;

std::string Quote(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Output of a shell command.
std::string Output(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
  pclose(p);
  return out;
}

// Cells that the first bytes of a UTF-8 line take on the screen.
int CellsBefore(const std::string& line, size_t bytes) {
  std::mbstate_t state{};
  int cells = 0;
  for (size_t i = 0; i < bytes && i < line.size();) {
    wchar_t ch = 0;
    size_t n = std::mbrtowc(&ch, line.data() + i, line.size() - i, &state);
    if (n == 0 || n > line.size()) n = 1;
    int w = wcwidth(ch);
    cells += w > 0 ? w : 1;
    i += n;
  }
  return cells;
}

struct Place {
  int row = -1, col = -1;
};

class TtyTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    if (std::system("command -v tmux >/dev/null 2>&1") != 0) GTEST_SKIP() << "tmux is not installed";
    std::setlocale(LC_CTYPE, "C.UTF-8");
    static int count = 0;
    socket_ = "zeltty-" + std::to_string(getpid()) + "-" + std::to_string(++count);
    fs::create_directories(e_ + "/out");
  }

  void TearDown() override {
    if (!socket_.empty()) Tmux("kill-server 2>/dev/null");
  }

  std::string Tmux(const std::string& args) {
    return Output("LANG=C.UTF-8 tmux -u -L " + socket_ + " -f /dev/null " + args);
  }

  // Starts the program in a pane of kCols x kRows; its exit status lands in
  // the file "status".
  void Start(const std::string& program = "ZelEna20ToMx13") { Launch(program_dir_ + "/" + program, ""); }

  // Starts the probe of the back end alone (tty_probe, beside this test).
  void StartProbe() {
    std::error_code ec;
    std::string probe = (fs::read_symlink("/proc/self/exe", ec).parent_path() / "tty_probe").string();
    Launch(probe, "export PROBE_OUT=" + Quote(dir_ + "/answers") + " PROBE_GO=" + Quote(dir_ + "/go") + "\n");
  }

  void Launch(const std::string& program, const std::string& more_env) {
    std::string launcher = dir_ + "/launch.sh";
    WriteFile(launcher, "unset ZEL_UI_SCRIPT ZEL_VIEWER ESCDELAY\n"
                        "export LANG=C.UTF-8 ZEL_UI=tty ZEL_PACKAGE=" + Quote(dir_ + "/package.db") +
                            " ZEL_DRIVES=" + Quote("Z:fixed=/;E:fixed=" + e_) + "\n" + more_env +
                            "cd " + Quote(dir_) + "\n" + Quote(program) +
                            " 2>stderr.txt\necho $? >status.tmp && mv status.tmp status\n");
    Tmux("new-session -d -s t -x " + std::to_string(kCols) + " -y " + std::to_string(kRows) + " " +
         Quote("sh " + Quote(launcher)));
  }

  // Runs a shell command in a fresh pane that stays after it ended.
  void LaunchShell(const std::string& command) {
    Tmux("kill-server 2>/dev/null");
    Tmux("new-session -d -s t -x " + std::to_string(kCols) + " -y " + std::to_string(kRows) + " " +
         Quote(command + "; echo \"exit status $?\"; sleep 60"));
  }

  std::vector<std::string> Screen() {
    std::vector<std::string> lines;
    std::string text = Tmux("capture-pane -p -t t 2>/dev/null");
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      lines.push_back(text.substr(start, end - start));
      if (end == std::string::npos) break;
      start = end + 1;
    }
    return lines;
  }
  std::string ScreenText() {
    std::string all;
    for (const std::string& line : Screen()) all += line + "\n";
    return all;
  }

  // Where text shows on the screen (row, cell column), or -1, -1.
  Place Find(const std::string& text) {
    std::vector<std::string> lines = Screen();
    for (size_t r = 0; r < lines.size(); ++r) {
      size_t at = lines[r].find(text);
      if (at != std::string::npos) return {static_cast<int>(r), CellsBefore(lines[r], at)};
    }
    return {};
  }

  // Waits until text shows; false (with the screen in the failure) when it
  // does not within the time.
  bool WaitFor(const std::string& text, double seconds = 15) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
      if (Find(text).row >= 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ADD_FAILURE() << "\"" << text << "\" did not show; the screen:\n" << ScreenText();
    return false;
  }

  // Named keys (tmux names); an Esc is followed by a pause, so that the
  // next key is not taken for an Alt key.
  void Keys(const std::string& keys) {
    Tmux("send-keys -t t " + keys);
    std::this_thread::sleep_for(std::chrono::milliseconds(keys.find("Escape") != std::string::npos ? 150 : 60));
  }
  void Type(const std::string& text) {
    Tmux("send-keys -t t -l " + Quote(text));
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
  }

  Place Cursor() {
    Place p;
    std::string xy = Tmux("display -p -t t '#{cursor_y} #{cursor_x}' 2>/dev/null");
    if (std::sscanf(xy.c_str(), "%d %d", &p.row, &p.col) != 2) p = {};
    return p;
  }

  // Waits until the cursor is at row, col (keys may still be on their way);
  // false when it does not get there in time.
  bool CursorAt(int row, int col, double seconds = 10) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    Place p;
    while (std::chrono::steady_clock::now() < end) {
      p = Cursor();
      if (p.row == row && p.col == col) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ADD_FAILURE() << "the cursor is at " << p.row << "," << p.col << ", not at " << row << "," << col
                  << "; the screen:\n" << ScreenText();
    return false;
  }

  // Waits for the program to end; its exit status, -1 when it did not end.
  int WaitExit(double seconds = 15) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
      if (Exists(dir_ + "/status")) return std::stoi(ReadFile(dir_ + "/status"));
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ADD_FAILURE() << "the program did not end; the screen:\n" << ScreenText();
    return -1;
  }
  bool Ended() { return Exists(dir_ + "/status"); }

  std::string socket_;
};

// The dialog's client area on the screen: centred, inside a one-cell frame.
Place ClientOrigin() {
  const ui::DialogTemplate& t = ExportConditionsTemplate();
  int rows = (t.cy + 4) / 8 + 2, cols = (t.cx + 2) / 4 + 2;
  return {(kRows - rows) / 2 + 1, (kCols - cols) / 2 + 1};
}

// A control's rectangle in cells at 4 dialog units across and 8 down.
struct CellRect {
  int row, col, cols;
};
CellRect RectOf(const ui::ControlTemplate& c) {
  Place o = ClientOrigin();
  int col = (c.x + 2) / 4, row = (c.y + 4) / 8;
  return {o.row + row, o.col + col, (c.x + c.cx + 2) / 4 - col};
}

std::string Label(const char* cp932) {
  std::string text = FromCp932(cp932), out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

int Cells(const std::string& utf8) { return CellsBefore(utf8, utf8.size()); }

TEST_F(TtyTest, WholeExportWithTheKeyboard) {
  MakeStore(0);
  WriteFile(e_ + "/out/assets.csv", "old content\n");
  Start();
  ASSERT_TRUE(WaitFor("株式会社ゼルマー商事"));
  EXPECT_TRUE(WaitFor("2024/04/01～2025/03/31"));
  EXPECT_TRUE(WaitFor("E:\\out\\*.csv"));

  // The default is selected: typing replaces it. A slip is mended with the
  // editing keys.
  Type("XE:\\out\\assetsZ.csv");
  Keys("Home");
  Keys("Delete");
  Keys("End");
  Keys("Left Left Left Left");
  Keys("BSpace");
  EXPECT_TRUE(WaitFor("E:\\out\\assets.csv "));
  // F12 with Shift or Ctrl held is not the export command.
  Keys("S-F12");
  Keys("C-F12");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(Find("同名のファイルが存在します。").row, -1);
  Keys("F12");
  ASSERT_TRUE(WaitFor("同名のファイルが存在します。"));
  EXPECT_TRUE(WaitFor("上書きしてもよろしいですか？"));
  EXPECT_TRUE(WaitFor("はい(Y)"));
  Keys("y");
  ASSERT_TRUE(WaitFor("減価償却情報の出力が正常に終了しました。"));
  EXPECT_TRUE(WaitFor("償却資産データ ⇒ E:\\out\\assets.csv"));
  EXPECT_TRUE(WaitFor("資産種類データ ⇒ E:\\out\\syurui.SSC"));
  EXPECT_FALSE(Ended());  // the message waits for its answer
  Keys("Enter");
  EXPECT_EQ(WaitExit(), 0);

  std::string data = ReadFile(e_ + "/out/assets.csv");
  EXPECT_FALSE(data.empty());
  EXPECT_EQ(data.find("old content"), std::string::npos);
  EXPECT_TRUE(Exists(e_ + "/out/syurui.SSC"));
  EXPECT_FALSE(Exists(e_ + "/out/ZelEnaMx13SysErr.txt"));
  EXPECT_NE(ReadFile(e_ + "/env/ZelEna20ToMx13.env").find("E:\\out\\assets.csv\n"), std::string::npos);
}

TEST_F(TtyTest, RefusalThenEscQuits) {
  MakeStore(0);
  Start();
  ASSERT_TRUE(WaitFor("E:\\out\\*.csv"));
  Keys("F12");  // the default "*.csv" is no file name
  ASSERT_TRUE(WaitFor("データの出力先に不正な文字が含まれています。"));
  EXPECT_TRUE(WaitFor("出力先を再入力してください。"));
  Place ok = Find(" OK ");
  EXPECT_GE(ok.row, 0);
  Keys("Enter");
  // Back in the dialog, the path selected in the edit, the caret after it.
  ASSERT_TRUE(WaitFor("会計期間"));
  EXPECT_EQ(Find("データの出力先に不正な文字").row, -1);
  CellRect edit = RectOf(ExportConditionsTemplate().controls[7]);
  EXPECT_TRUE(CursorAt(edit.row, edit.col + Cells("E:\\out\\*.csv")));

  Keys("Escape");
  ASSERT_TRUE(WaitFor("｢減価償却｣の集計を中止します。"));
  EXPECT_FALSE(Ended());
  Keys("Escape");  // Esc answers the notice's only button
  EXPECT_EQ(WaitExit(), 1);
  EXPECT_TRUE(fs::is_empty(e_ + "/out"));
  EXPECT_FALSE(Exists(e_ + "/env"));
}

TEST_F(TtyTest, ScreenFollowsTheTemplateAndItsTabOrder) {
  MakeStore(0);
  Start();
  ASSERT_TRUE(WaitFor("E:\\out\\*.csv"));
  const ui::DialogTemplate& t = ExportConditionsTemplate();
  Place caption = Find(FromCp932(t.caption));
  EXPECT_EQ(caption.row, ClientOrigin().row - 1);

  // Every control with a text in its place.
  std::vector<Place> stops;  // where the focus shows, in tab order
  for (int i = 0; i < t.control_count; ++i) {
    const ui::ControlTemplate& c = t.controls[i];
    CellRect r = RectOf(c);
    std::string text;
    int col = r.col;
    switch (c.kind) {
      case ui::ControlKind::Static:
        text = c.id == IDC_COMPANY ? " 株式会社ゼルマー商事"
               : c.id == IDC_PERIOD ? " 2024/04/01～2025/03/31"
                                    : Label(c.text);
        if (c.style & SS_RIGHT) col = r.col + r.cols - Cells(text);
        break;
      case ui::ControlKind::GroupBox:
        text = Label(c.text);
        col = r.col + 1;
        break;
      case ui::ControlKind::Edit:
        text = "E:\\out\\*.csv";
        stops.push_back({r.row, r.col + Cells(text)});
        break;
      case ui::ControlKind::PushButton:
        text = Label(c.text);
        col = r.col + std::max(0, (r.cols - Cells(text)) / 2);
        stops.push_back({r.row, col});
        break;
    }
    SCOPED_TRACE("control " + std::to_string(c.id) + " \"" + text + "\"");
    std::vector<std::string> lines = Screen();
    ASSERT_LT(r.row, static_cast<int>(lines.size()));
    const std::string& line = lines[static_cast<size_t>(r.row)];
    size_t at = line.find(text);
    ASSERT_NE(at, std::string::npos) << "row " << r.row << ": " << line;
    EXPECT_EQ(CellsBefore(line, at), col) << line;
  }

  // Alt+Enter is not Enter: the focus stays in the edit.
  Keys("M-Enter");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(Cursor().col, stops[0].col);

  // Tab walks the tab stops in template order and comes round again;
  // Shift+Tab walks them back.
  ASSERT_EQ(stops.size(), 4u);
  for (size_t i = 0; i <= stops.size(); ++i) {
    SCOPED_TRACE("stop " + std::to_string(i));
    EXPECT_TRUE(CursorAt(stops[i % stops.size()].row, stops[i % stops.size()].col));
    Keys("Tab");
  }
  Keys("BTab");  // from the browse button back to the edit
  EXPECT_TRUE(CursorAt(stops[0].row, stops[0].col));
  // Enter in the edit goes on to the browse button without ending anything.
  Keys("Enter");
  EXPECT_TRUE(CursorAt(stops[1].row, stops[1].col));
  EXPECT_FALSE(Ended());

  // A path longer than the edit scrolls: its end is in view with the caret
  // after it, and Home brings its start back.
  CellRect edit = RectOf(t.controls[7]);
  Keys("BTab");
  EXPECT_TRUE(CursorAt(stops[0].row, stops[0].col));
  std::string long_path = "E:\\out\\" + std::string(50, 'a') + "表.csv";
  Type(long_path);
  EXPECT_TRUE(CursorAt(edit.row, edit.col + edit.cols - 1));
  std::string row = Screen()[static_cast<size_t>(edit.row)];
  EXPECT_NE(row.find("aaa表.csv"), std::string::npos) << row;
  EXPECT_EQ(row.find("E:\\out"), std::string::npos) << row;
  Keys("Home");
  EXPECT_TRUE(CursorAt(edit.row, edit.col));
  row = Screen()[static_cast<size_t>(edit.row)];
  EXPECT_NE(row.find("E:\\out\\aaa"), std::string::npos) << row;

  // A resize redraws the dialog in the middle of the new size.
  Tmux("resize-window -t t -x 80 -y 24");
  ASSERT_TRUE(WaitFor("事業所名"));
  EXPECT_EQ(Find(FromCp932(t.caption)).row, (24 - 15) / 2);
  Keys("Escape");
  ASSERT_TRUE(WaitFor("｢減価償却｣の集計を中止します。"));
  Keys("Enter");
  EXPECT_EQ(WaitExit(), 1);
}

TEST_F(TtyTest, BrowseForAFileThenReadTheLogInThePager) {
  MakeStore();  // the sample company's values raise remarks
  WriteFile(e_ + "/out/assets.csv", "old\n");
  fs::create_directories(e_ + "/out/sub");
  WriteFile(e_ + "/out/notes.txt", "not a csv\n");
  WriteFile(e_ + "/out/ア.csv", "");
  Start();
  ASSERT_TRUE(WaitFor("E:\\out\\*.csv"));
  Keys("M-d");  // the browse button's mnemonic
  ASSERT_TRUE(WaitFor("保存ファイルを指定"));
  EXPECT_TRUE(WaitFor("保存する場所: E:\\out\\"));
  EXPECT_TRUE(WaitFor("CSV Files (*.csv)"));
  EXPECT_TRUE(WaitFor("[sub\\]"));
  EXPECT_TRUE(WaitFor("assets.csv"));
  EXPECT_EQ(Find("notes.txt").row, -1);  // the filter leaves it out

  // Walking: up to the drive's root and into "out" again.
  Keys("Up");
  Keys("Up");  // onto ".."
  Keys("Enter");
  ASSERT_TRUE(WaitFor("保存する場所: E:\\ "));
  Keys("Tab");
  Keys("M-n");  // back to the name from the save button
  Type("out");
  Keys("Enter");
  ASSERT_TRUE(WaitFor("保存する場所: E:\\out\\"));
  // The path must exist, and so must the file: both are refused with a
  // notice, and the prompt stays.
  Type("nosuch\\x");
  Keys("Enter");
  ASSERT_TRUE(WaitFor("パスが存在しません。"));
  EXPECT_TRUE(WaitFor("E:\\out\\nosuch\\x.CSV"));
  Keys("Enter");
  // "ヂ" differs from "ア" only in a trail byte that has the value of a
  // letter's other case: it is another name all the same.
  Type("ヂ");
  Keys("Enter");
  ASSERT_TRUE(WaitFor("ファイルが見つかりません。"));
  EXPECT_TRUE(WaitFor("ヂ.CSV"));
  Keys("Enter");
  // The default extension, found whatever the case of its letters.
  Type("assets");
  Keys("Enter");
  ASSERT_TRUE(WaitFor("E:\\out\\assets.csv"));
  EXPECT_EQ(Find("保存ファイルを指定").row, -1);
  // The focus is on the execute button now: Enter exports.
  Keys("Enter");
  ASSERT_TRUE(WaitFor("同名のファイルが存在します。"));
  Keys("y");
  ASSERT_TRUE(WaitFor("ZelEnaMx13SysErr.txt"));
  EXPECT_TRUE(WaitFor("＜WARNING＞"));
  EXPECT_TRUE(WaitFor("q, Esc: close"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(Ended());
  EXPECT_EQ(Find("一応終了しました").row, -1);  // only after the log is closed
  Keys("End");
  Keys("q");
  ASSERT_TRUE(WaitFor("減価償却情報の出力が一応終了しました。"));
  Keys("Enter");
  EXPECT_EQ(WaitExit(), 0);
  EXPECT_TRUE(Exists(e_ + "/out/ZelEnaMx13SysErr.txt"));
  EXPECT_NE(ReadFile(e_ + "/out/assets.csv"), "old\n");
}

TEST_F(TtyTest, AViewerCommandGetsTheTerminalUntilItEnds) {
  MakeStore();  // remarks: the log is shown
  // A viewer that talks to the terminal and waits for a line.
  Launch(program_dir_ + "/ZelEna20ToMx13", "export ZEL_VIEWER='echo VIEWER-OPEN; read line; echo'\n");
  ASSERT_TRUE(WaitFor("E:\\out\\*.csv"));
  Type("E:\\out\\v.csv");
  Keys("F12");
  ASSERT_TRUE(WaitFor("VIEWER-OPEN"));
  EXPECT_EQ(Find("事業所名").row, -1);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(Ended());
  Type("done");
  Keys("Enter");
  ASSERT_TRUE(WaitFor("減価償却情報の出力が一応終了しました。"));
  Keys("Enter");
  EXPECT_EQ(WaitExit(), 0);
}

TEST_F(TtyTest, MessageBoxKeysAndTheWorkingState) {
  StartProbe();
  // Line feeds kept, the icon mark, the buttons of the style, the focus on
  // the first button.
  ASSERT_TRUE(WaitFor("一つ目の質問です。"));
  Place first = Find("一つ目の質問です。");
  Place icon = Find("(?)");
  EXPECT_EQ(icon.row, first.row);
  EXPECT_LT(icon.col, first.col);
  EXPECT_EQ(Find("二行目").row, first.row + 2);
  EXPECT_EQ(Find("二行目").col, first.col);
  EXPECT_EQ(Find("確認").row, first.row - 2);  // the caption in the frame
  Place yes = Find("はい(Y)"), no = Find("いいえ(N)");
  ASSERT_GE(yes.row, 0);
  ASSERT_EQ(no.row, yes.row);
  EXPECT_TRUE(CursorAt(yes.row, yes.col));
  Keys("Right");
  EXPECT_TRUE(CursorAt(no.row, no.col));
  Keys("Left");
  EXPECT_TRUE(CursorAt(yes.row, yes.col));
  Keys("y");  // 6
  ASSERT_TRUE(WaitFor("二つ目"));
  Keys("N");  // 7
  ASSERT_TRUE(WaitFor("三つ目"));
  Keys("Escape");  // No
  ASSERT_TRUE(WaitFor("四つ目"));
  Keys("Tab");
  Keys("Enter");  // No
  ASSERT_TRUE(WaitFor("五つ目"));
  no = Find("いいえ(N)");
  EXPECT_TRUE(CursorAt(no.row, no.col));  // the default button
  Keys("Tab");
  Keys("Space");  // Yes
  ASSERT_TRUE(WaitFor("六つ目"));
  EXPECT_TRUE(WaitFor("(!)"));
  EXPECT_EQ(Find("いいえ").row, -1);
  Keys("x");  // no such button: nothing happens
  Keys("Escape");  // OK
  ASSERT_TRUE(WaitFor("七つ目"));
  EXPECT_TRUE(WaitFor("キャンセル"));
  Keys("Escape");  // Cancel

  // The working state stays on screen until the work is done.
  ASSERT_TRUE(WaitFor("処理中です。"));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(Ended());
  WriteFile(dir_ + "/go", "");
  EXPECT_EQ(WaitExit(), 0);
  EXPECT_EQ(ReadFile(dir_ + "/answers"), "6\n7\n7\n7\n6\n1\n2\n");
}

TEST_F(TtyTest, MakeRunOpensTheDialogInATerminalAndTheDemoWithout) {
  std::error_code ec;
  std::string build = fs::read_symlink("/proc/self/exe", ec).parent_path().parent_path().string();
  std::string run = "sh " + Quote(std::string(ZEL_SOURCE_ROOT) + "/app/run.sh") + " " + Quote(build);
  std::string demo = build + "/demo";

  // Without a terminal: the demo script.
  std::string out = Output(run + " </dev/null 2>&1");
  EXPECT_NE(out.find("The demo exported the sample company"), std::string::npos) << out;

  // A terminal that cannot be used: the reason, then the demo.
  LaunchShell("TERM=nosuch-terminal " + run);
  EXPECT_TRUE(WaitFor("cannot use the terminal (TERM=nosuch-terminal)"));
  EXPECT_TRUE(WaitFor("The demo exported the sample company"));

  // In a terminal: the dialog on the sample company, exported by hand.
  LaunchShell(run);
  ASSERT_TRUE(WaitFor("株式会社ゼルマー商事"));
  Type("E:\\out\\by-hand.csv");
  Keys("F12");
  ASSERT_TRUE(WaitFor("指定されたフォルダは存在しません。"));
  Keys("y");
  ASSERT_TRUE(WaitFor("q, Esc: close"));  // the sample raises remarks
  Keys("Escape");
  ASSERT_TRUE(WaitFor("減価償却情報の出力が一応終了しました。"));
  Keys("Enter");
  EXPECT_TRUE(WaitFor("The program ended with exit status 0"));
  EXPECT_TRUE(WaitFor("/demo/out/by-hand.csv"));
  EXPECT_TRUE(Exists(demo + "/out/by-hand.csv"));
}

}  // namespace
}  // namespace e2e
