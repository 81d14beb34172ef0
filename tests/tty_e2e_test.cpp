// The terminal dialog driven as a person drives it, for what only a real
// terminal shows (its key sequences, its sizes, handing it to a viewer and
// back, standard error): the built program runs in a tmux pane; keys go in
// with send-keys and the screen comes back with capture-pane, polled until
// what is expected shows, never after a fixed sleep. The drawing and the
// keys of each part are tested on a fake terminal beside the back end.
// Stores are made per test as for the other end-to-end tests. This file is
// compiled as UTF-8.
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
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

// The words of a text, split at blanks.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
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
    if (testenv::RunProgram({.argv = {"tmux", "-V"}}).status != 0) GTEST_SKIP() << "tmux is not installed";
    std::setlocale(LC_CTYPE, "C.UTF-8");
    fs::create_directories(e_ + "/out");
  }

  void TearDown() override {
    // The servers go, and their sockets with them (tmux leaves the file).
    const char* tmp = std::getenv("TMUX_TMPDIR");
    std::string folder = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/tmux-" + std::to_string(getuid());
    for (const std::string& socket : sockets_) {
      testenv::RunProgram(TmuxCommand(socket, {"kill-server"}));
      std::error_code ec;
      fs::remove(folder + "/" + socket, ec);
    }
  }

  static testenv::Program TmuxCommand(const std::string& socket, const std::vector<std::string>& args) {
    testenv::Program tmux = {.argv = {"tmux", "-u", "-L", socket, "-f", "/dev/null"},
                             .env = {"LANG=C.UTF-8"}};
    tmux.argv.insert(tmux.argv.end(), args.begin(), args.end());
    return tmux;
  }
  // What a tmux command prints (its standard error is dropped).
  std::string Tmux(const std::vector<std::string>& args) {
    return sockets_.empty() ? std::string() : testenv::RunProgram(TmuxCommand(sockets_.back(), args)).out;
  }

  // A pane of cols x rows running command, on a tmux server of its own (a
  // server that is ending cannot take a new session).
  void NewPane(const std::string& command, int rows, int cols) {
    static int count = 0;
    sockets_.push_back("zeltty-" + std::to_string(getpid()) + "-" + std::to_string(++count));
    Tmux({"new-session", "-d", "-s", "t", "-x", std::to_string(cols), "-y", std::to_string(rows), command});
  }

  // Starts the program in a pane; its exit status lands in the file
  // "status", its standard error in "stderr.txt".
  void Start(const std::string& more_env = "", int rows = kRows, int cols = kCols) {
    std::string launcher = dir_ + "/launch.sh";
    WriteFile(launcher,
              "unset ZEL_UI_SCRIPT ZEL_VIEWER ESCDELAY\n"
              "export LANG=C.UTF-8 ZEL_UI=tty ZEL_PACKAGE=" +
                  Quote(dir_ + "/package.db") + " ZEL_DRIVES=" + Quote("Z:fixed=/;E:fixed=" + e_) + "\n" +
                  more_env + "cd " + Quote(dir_) + "\n" + Quote(program_dir_ + "/ZelEna20ToMx13") +
                  " 2>stderr.txt\necho $? >status.tmp && mv status.tmp status\n");
    NewPane("sh " + Quote(launcher), rows, cols);
  }

  // Runs a shell command in a pane that stays after it ended.
  void LaunchShell(const std::string& command, int cols = kCols) {
    NewPane(command + "; echo \"exit status $?\"; sleep 60", kRows, cols);
  }

  std::vector<std::string> Screen() {
    std::vector<std::string> lines;
    std::string text = Tmux({"capture-pane", "-p", "-t", "t"});
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      lines.push_back(text.substr(start, end - start));
      if (end == std::string::npos) break;
      start = end + 1;
    }
    return lines;
  }
  // The screen once it has stopped changing (a redraw may be caught half
  // done).
  std::vector<std::string> SettledScreen() {
    std::vector<std::string> last = Screen();
    Poll([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      std::vector<std::string> now = Screen();
      bool settled = now == last;
      last = std::move(now);
      return settled;
    });
    return last;
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

  // Polls the screen until done() holds; false when it does not within a
  // deadline generous enough for a machine under load.
  bool Poll(const std::function<bool()>& done, double seconds = 30) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
      if (done()) return true;
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  bool WaitFor(const std::string& text, double seconds = 30) {
    if (Poll([&] { return Find(text).row >= 0; }, seconds)) return true;
    ADD_FAILURE() << "\"" << text << "\" did not show; the screen:\n" << ScreenText();
    return false;
  }
  bool WaitGone(const std::string& text) {
    if (Poll([&] { return Find(text).row < 0; })) return true;
    ADD_FAILURE() << "\"" << text << "\" stays; the screen:\n" << ScreenText();
    return false;
  }
  bool WaitAt(const std::string& text, int row) {
    if (Poll([&] { return Find(text).row == row; })) return true;
    ADD_FAILURE() << "\"" << text << "\" is not on row " << row << "; the screen:\n" << ScreenText();
    return false;
  }

  // Named keys (tmux names), typed text, raw bytes (hex). An Esc must be
  // followed by a wait for what it does before the next key, or the two
  // arrive together as an Alt key.
  void Keys(const std::string& keys) { Tmux(Words("send-keys -t t " + keys)); }
  void Type(const std::string& text) { Tmux({"send-keys", "-t", "t", "-l", text}); }
  void Bytes(const std::string& hex) { Tmux(Words("send-keys -t t -H " + hex)); }

  Place Cursor() {
    Place p;
    std::string xy = Tmux({"display", "-p", "-t", "t", "#{cursor_y} #{cursor_x}"});
    if (std::sscanf(xy.c_str(), "%d %d", &p.row, &p.col) != 2) p = {};
    return p;
  }
  // Waits until the cursor is at row, col (keys may still be on their way).
  bool CursorAt(int row, int col) {
    Place p;
    if (Poll([&] {
          p = Cursor();
          return p.row == row && p.col == col;
        }))
      return true;
    ADD_FAILURE() << "the cursor is at " << p.row << "," << p.col << ", not at " << row << "," << col
                  << "; the screen:\n"
                  << ScreenText();
    return false;
  }

  // Waits for the program to end; its exit status, -1 when it did not end.
  int WaitExit() {
    if (Poll([&] { return Exists(dir_ + "/status"); })) return std::stoi(ReadFile(dir_ + "/status"));
    ADD_FAILURE() << "the program did not end; the screen:\n" << ScreenText();
    return -1;
  }
  bool Ended() { return Exists(dir_ + "/status"); }

  std::vector<std::string> sockets_;
};

// The dialog's client area on a screen of rows x cols: centred, inside a
// one-cell frame.
Place ClientOrigin(int rows = kRows, int cols = kCols) {
  const ui::DialogTemplate& t = ExportConditionsTemplate();
  int frame_rows = (t.cy + 4) / 8 + 2, frame_cols = (t.cx + 2) / 4 + 2;
  return {(rows - frame_rows) / 2 + 1, (cols - frame_cols) / 2 + 1};
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

TEST_F(TtyTest, RefusalThenAWholeExportWithTheKeyboard) {
  MakeStore(0);
  WriteFile(e_ + "/out/assets.csv", "old content\n");
  Start();
  ASSERT_TRUE(WaitFor("株式会社ゼルマー商事"));
  EXPECT_TRUE(WaitFor("2024/04/01～2025/03/31"));
  EXPECT_TRUE(WaitFor("E:\\out\\*.csv"));
  Keys("F12");  // the default "*.csv" is no file name
  ASSERT_TRUE(WaitFor("データの出力先に不正な文字が含まれています。"));
  EXPECT_TRUE(WaitFor("出力先を再入力してください。"));
  EXPECT_GE(Find(" OK ").row, 0);
  Keys("Enter");
  // Back in the dialog, the path selected in the edit, the caret after it.
  ASSERT_TRUE(WaitGone("データの出力先に不正な文字"));
  CellRect edit = RectOf(ExportConditionsTemplate().controls[7]);
  EXPECT_TRUE(CursorAt(edit.row, edit.col + Cells("E:\\out\\*.csv")));

  // Typing replaces the selection. A slip is mended with the editing keys.
  Type("XE:\\out\\assetsZ.csv");
  Keys("Home Delete End Left Left Left Left BSpace");
  EXPECT_TRUE(WaitFor("E:\\out\\assets.csv "));
  // F12 with Shift or Ctrl held is not the export command: the "!" typed
  // after them reaches the edit, not a message box.
  Keys("S-F12 C-F12 End");
  Type("!");
  ASSERT_TRUE(WaitFor("E:\\out\\assets.csv!"));
  EXPECT_EQ(Find("同名のファイルが存在します。").row, -1);
  Keys("BSpace");
  ASSERT_TRUE(WaitGone("assets.csv!"));
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

// The data set shown is the one exported: a selection or data set changed
// by another program while the dialog waits stops the run at F12, naming the
// data set shown, and writes nothing.
TEST_F(TtyTest, ADataSetChangedWhileTheDialogWaitsIsNotExported) {
  const char* kChanges[] = {
      "UPDATE users SET selected_second = 2 WHERE user_id = 'user01';",
      "UPDATE users SET selected_second = 3 WHERE user_id = 'user01';",
      "UPDATE datasets SET data_kind = 99 WHERE data_no = 1;",
      "UPDATE datasets SET company_name = '株式会社ゼルマー' WHERE data_no = 1;",
  };
  MakeStore(5);
  // The sample's other data sets: 2 an individual, 3 past results.
  Sql("CREATE TABLE saved AS SELECT * FROM datasets;");
  std::filesystem::create_directories(e_ + "/out");
  for (const char* change : kChanges) {
    std::filesystem::remove(dir_ + "/status");
    Start();
    ASSERT_TRUE(WaitFor("E:\\out\\*.csv")) << change;
    Sql(change);
    Keys("End");
    for (int i = 0; i < 12; ++i) Keys("BSpace");  // "E:\\out\\*.csv" goes
    Type("E:\\out\\a.csv");
    Keys("F12");
    ASSERT_TRUE(WaitFor("ダイアログを開いている間に、選択されているデータが変更されました。")) << change;
    EXPECT_TRUE(WaitFor("表示していたデータ ⇒ D0001（株式会社ゼルマー商事）")) << change;
    Keys("Enter");
    EXPECT_EQ(WaitExit(), 1) << change;
    EXPECT_FALSE(Exists(e_ + "/out/a.csv")) << change;
    EXPECT_FALSE(Exists(e_ + "/out/syurui.SSC")) << change;
    Sql("UPDATE users SET selected_second = 1 WHERE user_id = 'user01';"
        "DELETE FROM datasets; INSERT INTO datasets SELECT * FROM saved;");
  }
}

TEST_F(TtyTest, TheDialogFollowsTheTerminalsSizeAndItsKeys) {
  MakeStore(0);
  Start("", 20, 60);
  // Too small: what it needs, until the terminal grows.
  ASSERT_TRUE(WaitFor("端末が小さすぎてダイアログを表示できません。"));
  EXPECT_TRUE(WaitFor("必要な大きさ: 66 x 16  (今は 60 x 20)"));
  Tmux(Words("resize-window -t t -x " + std::to_string(kCols) + " -y " + std::to_string(kRows)));
  ASSERT_TRUE(WaitFor("E:\\out\\*.csv"));
  EXPECT_TRUE(WaitGone("小さすぎ"));
  std::vector<std::string> lines = SettledScreen();

  // Every control with its text in its place (double-width characters take
  // two cells on the terminal as in the program's measure), the key hints
  // under the frame.
  const ui::DialogTemplate& t = ExportConditionsTemplate();
  EXPECT_EQ(Find(FromCp932(t.caption)).row, ClientOrigin().row - 1);
  EXPECT_EQ(Find("Tab: 移動  Enter: 次へ/押す  F12: 実行  Esc: キャンセル").row, ClientOrigin().row + 14);
  std::vector<Place> stops;  // where the focus shows, in tab order
  for (int i = 0; i < t.control_count; ++i) {
    const ui::ControlTemplate& c = t.controls[i];
    CellRect r = RectOf(c);
    std::string text;
    int col = r.col;
    switch (c.kind) {
      case ui::ControlKind::Static:
        text = c.id == IDC_COMPANY  ? " 株式会社ゼルマー商事"
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
    ASSERT_LT(r.row, static_cast<int>(lines.size()));
    const std::string& line = lines[static_cast<size_t>(r.row)];
    size_t at = line.find(text);
    ASSERT_NE(at, std::string::npos) << "row " << r.row << ": " << line;
    EXPECT_EQ(CellsBefore(line, at), col) << line;
  }
  ASSERT_EQ(stops.size(), 4u);

  // Alt+Enter is not Enter: after it, Tab goes from the edit to the browse
  // button (from the browse button it would go to the execute button).
  EXPECT_TRUE(CursorAt(stops[0].row, stops[0].col));
  Keys("M-Enter Tab");
  EXPECT_TRUE(CursorAt(stops[1].row, stops[1].col));
  Keys("BTab");
  EXPECT_TRUE(CursorAt(stops[0].row, stops[0].col));
  // Enter in the edit goes on to the browse button without ending anything.
  Keys("Enter");
  EXPECT_TRUE(CursorAt(stops[1].row, stops[1].col));
  Keys("BTab");
  EXPECT_TRUE(CursorAt(stops[0].row, stops[0].col));

  // A path longer than the edit scrolls: its end is in view with the caret
  // after it, and Home brings its start back.
  CellRect edit = RectOf(t.controls[7]);
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
  Tmux(Words("resize-window -t t -x 80 -y 24"));
  ASSERT_TRUE(WaitAt(FromCp932(t.caption), (24 - 15) / 2));
  Keys("Escape");
  ASSERT_TRUE(WaitFor("｢減価償却｣の集計を中止します。"));
  EXPECT_FALSE(Ended());
  Keys("Escape");  // Esc answers the notice's only button
  EXPECT_EQ(WaitExit(), 1);
  EXPECT_TRUE(fs::is_empty(e_ + "/out"));
  EXPECT_FALSE(Exists(e_ + "/env"));
}

TEST_F(TtyTest, BrowseExportALargeCompanyWithProgressThenReadTheLog) {
  MakeStore(100000);  // the sample company's values raise remarks
  WriteFile(e_ + "/out/assets.csv", "old\n");
  Start();
  ASSERT_TRUE(WaitFor("E:\\out\\*.csv"));
  Keys("M-d");  // the browse button's mnemonic
  ASSERT_TRUE(WaitFor("保存ファイルを指定"));
  EXPECT_TRUE(WaitFor("保存する場所: E:\\out\\"));
  EXPECT_TRUE(WaitFor("assets.csv"));
  // The default extension, found whatever the case of its letters.
  Type("ASSETS");
  Keys("Enter");
  ASSERT_TRUE(WaitGone("保存ファイルを指定"));
  EXPECT_TRUE(WaitFor("E:\\out\\assets.csv"));
  // The focus is on the execute button now: Enter exports.
  Keys("Enter");
  ASSERT_TRUE(WaitFor("同名のファイルが存在します。"));
  Keys("y");
  // The working state counts the assets while the export runs.
  EXPECT_TRUE(WaitFor("処理中です。"));
  EXPECT_TRUE(WaitFor(" / 100000 件"));
  // The log in the pager; the end message only after it is closed.
  ASSERT_TRUE(WaitFor("ZelEnaMx13SysErr.txt"));
  EXPECT_TRUE(WaitFor("＜WARNING＞"));
  EXPECT_TRUE(WaitFor("q, Esc: close"));
  EXPECT_FALSE(Ended());
  EXPECT_EQ(Find("一応終了しました").row, -1);
  Keys("q");
  ASSERT_TRUE(WaitFor("減価償却情報の出力が一応終了しました。"));
  Keys("Enter");
  EXPECT_EQ(WaitExit(), 0);
  EXPECT_TRUE(Exists(e_ + "/out/ZelEnaMx13SysErr.txt"));
  EXPECT_GT(ReadFile(e_ + "/out/assets.csv").size(), 10000000u);
}

TEST_F(TtyTest, AViewerCommandGetsTheTerminalAndAReadableLog) {
  MakeStore();  // remarks: the log is shown
  fs::create_directories(dir_ + "/tmp");
  Start("unset LESS LESSOPEN LESSCLOSE\nexport ZEL_VIEWER=less TMPDIR=" + Quote(dir_ + "/tmp") + "\n");
  ASSERT_TRUE(WaitFor("E:\\out\\*.csv"));
  Type("E:\\out\\v.csv");
  Keys("F12");
  // less on a UTF-8 terminal shows the Shift_JIS log as text.
  ASSERT_TRUE(WaitFor("＜WARNING＞"));
  EXPECT_EQ(Find("事業所名").row, -1);
  EXPECT_FALSE(Ended());
  Keys("q");
  ASSERT_TRUE(WaitFor("減価償却情報の出力が一応終了しました。"));
  Keys("Enter");
  EXPECT_EQ(WaitExit(), 0);
  // The log on disk stays Shift_JIS; the viewer's copy is gone.
  EXPECT_NE(ReadFile(e_ + "/out/ZelEnaMx13SysErr.txt").find(ToCp932("＜WARNING＞")), std::string::npos);
  EXPECT_TRUE(fs::is_empty(dir_ + "/tmp"));
}

TEST_F(TtyTest, TerminalsThatAreNotXtermAndStandardError) {
  // A terminal that cannot move its cursor is refused at once.
  MakeStore(0);
  Start("export TERM=dumb\n");
  EXPECT_EQ(WaitExit(), 1);
  std::string errors = ReadFile(dir_ + "/stderr.txt");
  EXPECT_NE(errors.find("cannot use the terminal (TERM=dumb): it cannot move the cursor"), std::string::npos)
      << errors;
  EXPECT_NE(errors.find("the dialog counts as quit"), std::string::npos);

  // Under TERM=vt100 the description knows no F12: its sequence is read by
  // the program itself, and one it does not know types nothing.
  fs::remove(dir_ + "/status");
  Start("export TERM=vt100\n");
  ASSERT_TRUE(WaitFor("E:\\out\\*.csv"));
  Type("E:\\out\\v.cs");
  Bytes("1b 5b 39 39 7e");  // Esc [ 9 9 ~
  Type("v");
  ASSERT_TRUE(WaitFor("E:\\out\\v.csv "));
  EXPECT_EQ(Find("99~").row, -1);
  Keys("F12");
  ASSERT_TRUE(WaitFor("減価償却情報の出力が正常に終了しました。"));
  Keys("Enter");
  EXPECT_EQ(WaitExit(), 0);
  EXPECT_TRUE(Exists(e_ + "/out/v.csv"));

  // A line written to standard error while the screen is up shows once the
  // terminal has been given back.
  std::error_code ec;
  std::string probe = (fs::read_symlink("/proc/self/exe", ec).parent_path() / "tty_probe").string();
  LaunchShell("ZEL_UI=tty " + Quote(probe));
  ASSERT_TRUE(WaitFor("一つ目です。"));
  Keys("Enter");
  ASSERT_TRUE(WaitFor("警告を書きました。"));
  EXPECT_EQ(Find("probe: a warning").row, -1);
  Keys("Enter");
  ASSERT_TRUE(WaitFor("exit status 0"));
  Place warning = Find("probe: a warning while the screen is up");
  EXPECT_GE(warning.row, 0) << ScreenText();
  EXPECT_LT(warning.row, Find("exit status 0").row);
}

TEST_F(TtyTest, MakeRunKeepsItsDemoFolderAndSaysWhereDriveEIs) {
  std::error_code ec;
  std::string build = fs::read_symlink("/proc/self/exe", ec).parent_path().parent_path().string();
  std::string demo = dir_ + "/demo";
  const std::string script = std::string(ZEL_SOURCE_ROOT) + "/app/run.sh";
  std::string run = "sh " + Quote(script) + " " + Quote(build) + " " + Quote(demo);

  // Without a terminal: the demo script, drive E: named before it runs;
  // a second run finds the store and the export of the first.
  for (int i = 0; i < 2; ++i) {
    std::string out = testenv::RunProgram({.argv = {"sh", script, build, demo}, .merge_error = true}).out;
    size_t drive = out.find("Drive E: is " + demo + " ");
    EXPECT_NE(drive, std::string::npos) << out;
    EXPECT_LT(drive, out.find("Running ")) << out;
    EXPECT_NE(out.find("The demo exported the sample company"), std::string::npos) << out;
  }
  EXPECT_NE(ReadFile(demo + "/env/ZelEna20ToMx13.env").find("E:\\out\\" + ToCp932("固定資産.csv")),
            std::string::npos);

  // A terminal that cannot be used: the reason, then the demo. The panes
  // are wide enough for the host paths, however deep the checkout lies.
  const int wide = static_cast<int>(demo.size()) + 120;
  LaunchShell("TERM=dumb " + run, wide);
  EXPECT_TRUE(WaitFor("cannot use the terminal (TERM=dumb)"));
  EXPECT_TRUE(WaitFor("The demo exported the sample company"));

  // In a terminal: the dialog opens on the path the demo remembered.
  LaunchShell(run, wide);
  ASSERT_TRUE(WaitFor("株式会社ゼルマー商事"));
  EXPECT_TRUE(WaitFor("E:\\out\\固定資産.csv"));
  Type("E:\\out\\by-hand.csv");
  Keys("F12");
  ASSERT_TRUE(WaitFor("q, Esc: close"));  // the sample raises remarks
  Keys("Escape");
  ASSERT_TRUE(WaitFor("減価償却情報の出力が一応終了しました。"));
  Keys("Enter");
  EXPECT_TRUE(WaitFor("The program ended with exit status 0"));
  EXPECT_TRUE(WaitFor("/demo/out/by-hand.csv"));
  // Drive E: was named before the dialog took the screen.
  Place drive = Find("Drive E: is " + demo + " ");
  EXPECT_GE(drive.row, 0) << ScreenText();
  EXPECT_LT(drive.row, Find("The program ended").row);
  EXPECT_TRUE(Exists(demo + "/out/by-hand.csv"));
  EXPECT_TRUE(Exists(demo + "/out/固定資産.csv"));

  // Quit with Esc: the files of the earlier runs are not listed as written.
  LaunchShell(run, wide);
  ASSERT_TRUE(WaitFor("E:\\out\\by-hand.csv"));
  Keys("Escape");
  ASSERT_TRUE(WaitFor("｢減価償却｣の集計を中止します。"));
  Keys("Enter");
  EXPECT_TRUE(WaitFor("The program ended with exit status 1"));
  EXPECT_TRUE(WaitFor("No file was written by this run"));
  EXPECT_EQ(Find("/demo/out/by-hand.csv").row, -1) << ScreenText();
  EXPECT_EQ(Find("/demo/env/").row, -1) << ScreenText();
}

}  // namespace
}  // namespace e2e
