// The terminal back end on a fake terminal: the dialog drawn from its
// template with its key hints, the focus walking the tab stops, the notice
// of a terminal too small for the dialog, and the progress of the working
// state. This file is compiled as UTF-8; the program's texts are CP932.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/cp932.h"
#include "platform/message_box.h"
#include "platform/ui/tty_backend.h"
#include "platform/ui/tty_fake_terminal.h"

namespace ui {
namespace {

using tty::FakeTerminal;
using Picture = FakeTerminal::Picture;

std::string Sjis(const std::string& utf8) { return cp932::FromUtf8(utf8); }

// The program's dialog in shape: 255 by 107 units.
const std::string kCaption = Sjis("減価償却 - 集計条件"), kCompanyLabel = Sjis("事業所名"),
                  kColon = Sjis("："), kGroup = Sjis("出力先(&O)"), kBrowse = Sjis("参照(&D)..."),
                  kRun = Sjis("実行(F12)"), kCancel = Sjis("キャンセル(Esc)");
const ControlTemplate kControls[] = {
    {1000, ControlKind::Static, kCompanyLabel.c_str(), 7, 7, 35, 12, SS_CENTERIMAGE, 0},
    {IDC_STATIC, ControlKind::Static, kColon.c_str(), 46, 7, 8, 12, SS_RIGHT | SS_CENTERIMAGE, 0},
    {1002, ControlKind::Static, "", 59, 7, 189, 12, SS_CENTERIMAGE, 0},
    {1004, ControlKind::GroupBox, kGroup.c_str(), 7, 47, 241, 35, 0, 0},
    {1007, ControlKind::Edit, "", 10, 62, 170, 12, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
    {1008, ControlKind::PushButton, kBrowse.c_str(), 186, 61, 57, 14, WS_TABSTOP, 0},
    {1005, ControlKind::PushButton, kRun.c_str(), 129, 86, 57, 14, WS_TABSTOP, 0},
    {1006, ControlKind::PushButton, kCancel.c_str(), 191, 86, 57, 14, WS_TABSTOP, 0},
};
const DialogTemplate kTemplate = {130, kCaption.c_str(), "", 9, 255, 107, kControls, 8};
constexpr int kEdit = 4;

// F12 ends the dialog with 1005, Esc (through OnCancel) with 1006.
class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(kTemplate, nullptr) {}
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    GetDlgItem(1002)->SetWindowText(Sjis(" 株式会社ゼルマー商事").c_str());
    GetDlgItem(1007)->SetWindowText("E:\\out\\*.csv");
    return TRUE;
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->wParam == VK_F12 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0) {
      EndDialog(1005);
      return TRUE;
    }
    return FALSE;
  }
  void OnCancel() override { EndDialog(1006); }
};

// Runs body as the application's start-up with the back end on term.
class App : public CWinApp {
 public:
  explicit App(std::function<void()> body) : body_(std::move(body)) {}
  BOOL InitInstance() override {
    body_();
    return TRUE;
  }

 private:
  std::function<void()> body_;
};

int RunWith(FakeTerminal& term, std::function<void()> body) {
  std::unique_ptr<Backend> backend = MakeTtyBackendOn(term);
  App app(std::move(body));
  return RunApplicationWith(app, backend.get());
}

// The dialog's client area: centred, inside a one-cell frame, 4 units
// across and 8 down to a cell.
struct Place {
  int row, col;
};
Place Origin(const FakeTerminal& term) { return {(term.Rows() - 15) / 2 + 1, (term.Cols() - 66) / 2 + 1}; }
Place CellOf(const FakeTerminal& term, int x, int y) {
  Place o = Origin(term);
  return {o.row + (y + 4) / 8, o.col + (x + 2) / 4};
}

// Where a button's label starts: centred in the button's cells.
Place LabelOf(const FakeTerminal& term, const char* label, int x, int y, int cx) {
  Place b = CellOf(term, x, y);
  int cols = (x + cx + 2) / 4 - (x + 2) / 4;
  return {b.row, b.col + (cols - tty::CellsOf(label)) / 2};
}

TEST(TtyDialog, DrawnFromItsTemplateWithKeyHintsAndTheFocusOnTheTabStops) {
  FakeTerminal term(30, 100);
  auto& k = term.keys;
  for (int i = 0; i < 4; ++i) k.push_back(FakeTerminal::Char(L'\t'));
  k.push_back(FakeTerminal::ShiftTab());
  k.push_back(FakeTerminal::Char(L'\t'));
  k.push_back(FakeTerminal::Code(tty::FunctionKey(12), true));  // Shift+F12 is no export
  const std::string path = "E:\\out\\" + std::string(50, 'a') + "表.csv";
  term.Type(path);
  k.push_back(FakeTerminal::Code(tty::kHome));
  term.Type("한");  // no Shift_JIS form: not typed
  k.push_back(FakeTerminal::Code(tty::FunctionKey(12)));
  int code = 0;
  std::string text;
  RunWith(term, [&] {
    TestDialog dialog;
    code = static_cast<int>(dialog.DoModal());
    text = dialog.State(kEdit).text;
  });
  EXPECT_EQ(code, 1005);
  EXPECT_EQ(text, Sjis(path));
  EXPECT_EQ(term.beeps, 1);

  const Picture& p = term.seen[0];
  Place o = Origin(term);
  EXPECT_EQ(p.Find("減価償却 - 集計条件").row, o.row - 1) << p.Text();
  auto at = [&](const char* text, Place want) {
    auto got = p.Find(text);
    EXPECT_EQ(got.row, want.row) << text << "\n" << p.Text();
    EXPECT_EQ(got.col, want.col) << text << "\n" << p.Text();
  };
  at("事業所名", CellOf(term, 7, 7));
  at("：", CellOf(term, 46, 7));
  at(" 株式会社ゼルマー商事", CellOf(term, 59, 7));
  Place group = CellOf(term, 7, 47);
  at("出力先(O)", {group.row, group.col + 1});  // in the frame, after its corner
  at("E:\\out\\*.csv", CellOf(term, 10, 62));
  at("参照(D)...", LabelOf(term, "参照(D)...", 186, 61, 57));
  at("実行(F12)", LabelOf(term, "実行(F12)", 129, 86, 57));
  at("キャンセル(Esc)", LabelOf(term, "キャンセル(Esc)", 191, 86, 57));
  // The key hints, centred on the row under the frame.
  const char* hint = "Tab: 移動  Enter: 次へ/押す  F12: 実行  Esc: キャンセル";
  at(hint, {o.row + 14, (100 - tty::CellsOf(hint)) / 2});

  // The focus: the edit's caret after its text, then each button's label in
  // tab order, round to the edit; Shift+Tab walks back.
  Place edit = CellOf(term, 10, 62);
  Place stops[] = {{edit.row, edit.col + 12},
                   LabelOf(term, "参照(D)...", 186, 61, 57),
                   LabelOf(term, "実行(F12)", 129, 86, 57),
                   LabelOf(term, "キャンセル(Esc)", 191, 86, 57)};
  int expected[] = {0, 1, 2, 3, 0, 3, 0, 0};
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(term.seen[i].cursor_row, stops[expected[i]].row);
    EXPECT_EQ(term.seen[i].cursor_col, stops[expected[i]].col);
  }
  // A path longer than the edit's 42 cells scrolls: its end is in view with
  // the caret in the last cell; Home brings its start back.
  size_t typed = 7 + 50 + 5;
  const Picture& after = term.seen[7 + typed];
  std::string row = after.lines[static_cast<size_t>(edit.row)];
  EXPECT_NE(row.find("aaa表.csv"), std::string::npos) << row;
  EXPECT_EQ(row.find("E:\\out"), std::string::npos) << row;
  EXPECT_EQ(after.cursor_col, edit.col + 41);
  const Picture& home = term.seen[7 + typed + 1];
  EXPECT_NE(home.lines[static_cast<size_t>(edit.row)].find("E:\\out\\aaa"), std::string::npos);
  EXPECT_EQ(home.cursor_col, edit.col);
  EXPECT_FALSE(term.Now().Shows("事業所名"));  // gone once ended
}

TEST(TtyDialog, ATerminalTooSmallShowsTheSizeNeededUntilItGrows) {
  FakeTerminal term(20, 60);
  term.keys.push_back(FakeTerminal::Char(L'x'));  // not typed: the edit cannot be seen
  term.keys.push_back(FakeTerminal::Char(L'\t'));
  term.ResizeTo(16, 65);  // one column short
  term.ResizeTo(16, 66);  // just fits, hints included
  term.keys.push_back(FakeTerminal::Char(L'\t'));
  term.ResizeTo(20, 60);
  term.keys.push_back(FakeTerminal::Char(27));  // Esc still cancels
  int code = 0;
  std::string text;
  int focus = -1;
  RunWith(term, [&] {
    TestDialog dialog;
    code = static_cast<int>(dialog.DoModal());
    text = dialog.State(kEdit).text;
    focus = dialog.FocusIndex();
  });
  EXPECT_EQ(code, 1006);
  EXPECT_EQ(text, "E:\\out\\*.csv");
  EXPECT_EQ(focus, kEdit + 1);  // only the Tab given at 66 x 16 moved it
  EXPECT_EQ(term.beeps, 2);
  ASSERT_EQ(term.seen.size(), 7u);  // a picture at each key and each resize
  const Picture& small = term.seen[0];
  EXPECT_TRUE(small.Shows("端末が小さすぎてダイアログを表示できません。")) << small.Text();
  EXPECT_TRUE(small.Shows("必要な大きさ: 66 x 16  (今は 60 x 20)"));
  EXPECT_FALSE(small.Shows("事業所名"));
  EXPECT_LT(small.cursor_row, 0);
  EXPECT_TRUE(term.seen[3].Shows("(今は 65 x 16)")) << term.seen[3].Text();
  const Picture& fits = term.seen[4];
  EXPECT_TRUE(fits.Shows("事業所名")) << fits.Text();
  EXPECT_EQ(fits.Find("減価償却 - 集計条件").row, 0);
  EXPECT_EQ(fits.Find("Esc: キャンセル").row, 15);
  EXPECT_FALSE(fits.Shows("小さすぎ"));
  EXPECT_TRUE(term.seen[6].Shows("(今は 60 x 20)"));

  // Even a terminal of one row is drawn on only inside its cells.
  FakeTerminal tiny(1, 8);
  tiny.keys.push_back(FakeTerminal::Char(27));
  RunWith(tiny, [&] { code = static_cast<int>(TestDialog().DoModal()); });
  EXPECT_EQ(code, 1006);
  EXPECT_EQ(tiny.seen[0].lines.size(), 1u);
}

TEST(TtyDialog, TheWorkingStateShowsProgressAtItsOwnPace) {
  FakeTerminal term(24, 80);
  std::vector<Picture> pictures;
  std::vector<int> shows;
  RunWith(term, [&] {
    CWinApp* app = AfxGetApp();
    ShowProgress(1, 10);  // no working state yet: nothing to show
    shows.push_back(term.shows);
    app->BeginWaitCursor();
    pictures.push_back(term.Now());
    ShowProgress(0, 2000);
    pictures.push_back(term.Now());
    term.now_ms += 50;
    for (long i = 1; i <= 999; ++i) ShowProgress(i, 2000);  // within a tenth of a second: one picture
    shows.push_back(term.shows);
    pictures.push_back(term.Now());
    term.now_ms += 50;
    ShowProgress(1000, 2000);
    shows.push_back(term.shows);
    pictures.push_back(term.Now());
    ShowProgress(2000, 2000);  // the end is always shown
    pictures.push_back(term.Now());
    app->EndWaitCursor();
    pictures.push_back(term.Now());
  });
  EXPECT_EQ(shows[0], 0);
  EXPECT_TRUE(pictures[0].Shows("処理中です。しばらくお待ちください...")) << pictures[0].Text();
  EXPECT_FALSE(pictures[0].Shows("件"));
  EXPECT_TRUE(pictures[1].Shows("0 / 2000 件  (0%)")) << pictures[1].Text();
  EXPECT_EQ(shows[1], 2);  // the box, then the start of the walk
  EXPECT_TRUE(pictures[2].Shows("0 / 2000 件"));
  EXPECT_EQ(shows[2], 3);
  EXPECT_TRUE(pictures[3].Shows("1000 / 2000 件  (50%)")) << pictures[3].Text();
  EXPECT_TRUE(pictures[4].Shows("2000 / 2000 件  (100%)"));
  EXPECT_FALSE(pictures[5].Shows("処理中"));
}

}  // namespace
}  // namespace ui
