// The terminal's message boxes, log pager and file-save dialog on a fake
// terminal: what the user sees when each key is read, and what the keys do.
// This file is compiled as UTF-8; the program's texts are CP932.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/cp932.h"
#include "platform/test_env.h"
#include "platform/ui/backend.h"
#include "platform/ui/tty_fake_terminal.h"
#include "platform/ui/tty_widgets.h"
#include "platform/win.h"

namespace ui::tty {
namespace {

namespace fs = std::filesystem;
using Picture = FakeTerminal::Picture;

std::string Sjis(const std::string& utf8) { return cp932::FromUtf8(utf8); }

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

// Runs a box with the keys given and returns its answer.
int Box(FakeTerminal& term, const std::string& text, UINT style) {
  Screen screen(term);
  return RunMessageBox(screen, Sjis(text), Sjis("確認"), style);
}

TEST(TtyMessageBox, LayoutFocusAndTheKeysOfEachStyle) {
  FakeTerminal term(24, 80);
  term.keys = {FakeTerminal::Code(kRight), FakeTerminal::Code(kLeft), FakeTerminal::Char(L'y')};
  EXPECT_EQ(Box(term, "一つ目の質問です。\n\n二行目", MB_YESNO | MB_ICONQUESTION), IDYES);
  ASSERT_EQ(term.seen.size(), 3u);
  const Picture& p = term.seen[0];
  // Line feeds kept, the icon mark before the text, the caption in the
  // frame, the buttons on one row with the focus on the first.
  auto first = p.Find("一つ目の質問です。"), icon = p.Find("(?)"), second = p.Find("二行目");
  ASSERT_GE(first.row, 0) << p.Text();
  EXPECT_EQ(icon.row, first.row);
  EXPECT_LT(icon.col, first.col);
  EXPECT_EQ(second.row, first.row + 2);
  EXPECT_EQ(second.col, first.col);
  EXPECT_EQ(p.Find("確認").row, first.row - 2);
  auto yes = p.Find("はい(Y)"), no = p.Find("いいえ(N)");
  ASSERT_GE(yes.row, 0);
  EXPECT_EQ(no.row, yes.row);
  EXPECT_EQ(p.cursor_row, yes.row);
  EXPECT_EQ(p.cursor_col, yes.col);
  EXPECT_EQ(term.seen[1].cursor_col, no.col);   // after Right
  EXPECT_EQ(term.seen[2].cursor_col, yes.col);  // after Left
  // The box is gone once answered.
  EXPECT_FALSE(term.Now().Shows("一つ目"));

  struct Case {
    std::vector<Key> keys;
    UINT style;
    int answer;
  } cases[] = {
      {{FakeTerminal::Char(L'N')}, MB_YESNO, IDNO},
      {{FakeTerminal::Char(27)}, MB_YESNO, IDNO},  // Esc: No when there is no Cancel
      {{FakeTerminal::Char(L'\t'), FakeTerminal::Char(L'\r')}, MB_YESNO, IDNO},
      {{FakeTerminal::Char(L'\t'), FakeTerminal::Char(L' ')},
       MB_YESNO | 0x100u,
       IDYES},  // from No, the default
      {{FakeTerminal::Char(L'x'), FakeTerminal::Char(27)}, MB_OK | MB_ICONEXCLAMATION, IDOK},
      {{FakeTerminal::Char(27)}, MB_OKCANCEL, IDCANCEL},
      {{FakeTerminal::ShiftTab(), FakeTerminal::Char(L'\r')}, MB_OKCANCEL, IDCANCEL},
  };
  for (const Case& c : cases) {
    FakeTerminal t(24, 80);
    t.keys.assign(c.keys.begin(), c.keys.end());
    EXPECT_EQ(Box(t, "質問", c.style), c.answer) << c.style;
    EXPECT_TRUE(t.keys.empty());
  }
  FakeTerminal t(24, 80);
  t.keys = {FakeTerminal::Char(L'x'), FakeTerminal::Char(L'\r')};
  EXPECT_EQ(Box(t, "六つ目", MB_OK | MB_ICONEXCLAMATION), IDOK);
  EXPECT_EQ(t.beeps, 1);  // no button answers to "x"
  EXPECT_TRUE(t.seen[0].Shows("(!)"));
  EXPECT_FALSE(t.seen[0].Shows("いいえ"));
}

TEST(TtyMessageBox, NarrowScreensWrapAndTheEndOfInputEndsTheRun) {
  // A long line is wrapped inside a 30-cell screen; nothing is drawn
  // outside it (the fake terminal would stop the test).
  FakeTerminal term(10, 30);
  term.keys = {FakeTerminal::Char(L'\r')};
  std::string text = "償却資産データ ⇒ E:\\out\\a-very-long-folder-name\\assets.csv    ";
  EXPECT_EQ(Box(term, text, MB_OK | MB_ICONINFORMATION), IDOK);
  const Picture& p = term.seen[0];
  EXPECT_TRUE(p.Shows("償却資産")) << p.Text();
  EXPECT_TRUE(p.Shows("OK"));
  // No keys: no more input will come; the run ends as when the dialog is quit.
  FakeTerminal silent(24, 80);
  Screen screen(silent);
  try {
    RunMessageBox(screen, Sjis("質問"), Sjis("確認"), MB_YESNO);
    ADD_FAILURE() << "the box returned without an answer";
  } catch (const RunAborted& aborted) {
    EXPECT_EQ(aborted.status, kEarlyEndStatus);
  }
  EXPECT_FALSE(silent.Now().Shows("質問"));
}

class TtyFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_.Host("out/sub"));
    setenv("ZEL_DRIVES", ("Z:fixed=/;E:fixed=" + dir_.path()).c_str(), 1);
    win::ReloadMappings();
  }
  void TearDown() override {
    unsetenv("ZEL_DRIVES");
    win::ReloadMappings();
  }
  testenv::ScratchDir dir_{"zel-tty"};
};

TEST_F(TtyFiles, ThePagerShowsTheLogConvertedAndScrolls) {
  std::string log;
  for (int i = 1; i <= 40; ++i) log += Sjis("＜WARNING＞\t行 " + std::to_string(i)) + "\r\n";
  WriteFile(dir_.Host("out/log.txt"), log);
  FakeTerminal term(12, 60);
  term.keys = {FakeTerminal::Code(kDown), FakeTerminal::Char(L' '), FakeTerminal::Code(kEnd),
               FakeTerminal::Char(L'g'), FakeTerminal::Char(L'q')};
  Screen screen(term);
  RunPager(screen, dir_.Host("out/log.txt"));
  ASSERT_EQ(term.seen.size(), 5u);
  const Picture& p = term.seen[0];
  EXPECT_EQ(p.Find("E:\\out\\log.txt").row, 0) << p.Text();  // the title, in Windows form
  EXPECT_EQ(p.Find("＜WARNING＞").row, 1);
  EXPECT_EQ(p.Find("行 1").col, 16);  // the tab reaches the next stop of 8
  EXPECT_TRUE(p.Shows(" 1-10 / 40"));
  EXPECT_EQ(term.seen[1].Find("行 2").row, 1);     // Down
  EXPECT_TRUE(term.seen[2].Shows(" 12-21 / 40"));  // Space: a page on
  EXPECT_TRUE(term.seen[3].Shows(" 31-40 / 40"));  // End
  EXPECT_EQ(term.seen[3].Find("行 40").row, 10);
  EXPECT_TRUE(term.seen[4].Shows(" 1-10 / 40"));  // g: back to the start
  EXPECT_FALSE(term.Now().Shows("WARNING"));      // q closed it

  // A file that cannot be read says so; the end of input closes the pager.
  FakeTerminal other(12, 60);
  Screen screen2(other);
  RunPager(screen2, dir_.Host("missing.txt"));
  ASSERT_EQ(other.seen.size(), 1u);
  EXPECT_TRUE(other.seen[0].Shows("missing.txt: cannot be read")) << other.seen[0].Text();
}

TEST_F(TtyFiles, TheFileDialogListsWalksAndChecksAsItsOptionsAsk) {
  WriteFile(dir_.Host("out/assets.csv"), "old\n");
  WriteFile(dir_.Host("out/notes.txt"), "");
  WriteFile(dir_.Host("out/ア.csv"), "");
  FileDialogRequest request{Sjis("保存ファイルを指定"),
                            "E:\\out\\",
                            "*.csv",
                            "CSV",
                            "CSV Files (*.csv)|*.csv||",
                            OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST};
  FakeTerminal term(24, 80);
  auto& k = term.keys;
  k.push_back(FakeTerminal::Code(kUp));    // 1: onto ".."
  k.push_back(FakeTerminal::Char(L'\r'));  // 2: up to E:\ .
  term.Type("out");
  k.push_back(FakeTerminal::Char(L'\r'));  // back into "out"
  term.Type("nosuch\\x");
  k.push_back(FakeTerminal::Char(L'\r'));  // the path must exist
  k.push_back(FakeTerminal::Char(L'\r'));
  // "ヂ" differs from "ア" only in a trail byte that has the value of a
  // letter's other case: it is another name all the same.
  term.Type("ヂ");
  k.push_back(FakeTerminal::Char(L'\r'));  // the file must exist
  k.push_back(FakeTerminal::Char(L'\r'));
  term.Type("ASSETS");  // the default extension; the case of the name on disk
  k.push_back(FakeTerminal::Char(L'\r'));
  Screen screen(term);
  std::string path;
  ASSERT_TRUE(RunFileSave(screen, request, &path));
  EXPECT_EQ(path, "E:\\out\\assets.csv");
  EXPECT_TRUE(k.empty());

  const Picture& first = term.seen[0];
  EXPECT_TRUE(first.Shows("保存ファイルを指定")) << first.Text();
  EXPECT_TRUE(first.Shows("保存する場所: E:\\out\\"));
  EXPECT_TRUE(first.Shows("CSV Files (*.csv)"));
  auto up = first.Find("[..]"), sub = first.Find("[sub\\]"), assets = first.Find("assets.csv"),
       a = first.Find("ア.csv");
  ASSERT_GE(up.row, 0);
  EXPECT_EQ(sub.row, up.row + 1);  // folders first, then the files
  EXPECT_EQ(assets.row, up.row + 2);
  EXPECT_EQ(a.row, up.row + 3);
  EXPECT_FALSE(first.Shows("notes.txt"));  // the filter leaves it out
  EXPECT_TRUE(term.seen[2].Shows("保存する場所: E:\\ "));
  auto shown = [&](const char* text) {
    for (const Picture& p : term.seen)
      if (p.Shows(text)) return true;
    return false;
  };
  EXPECT_TRUE(shown("パスが存在しません。"));
  EXPECT_TRUE(shown("E:\\out\\nosuch\\x.CSV"));
  EXPECT_TRUE(shown("ファイルが見つかりません。"));
  EXPECT_TRUE(shown("ヂ.CSV"));
  EXPECT_FALSE(term.Now().Shows("保存ファイルを指定"));

  // Esc and the cancel button give nothing back.
  for (std::vector<Key> keys :
       {std::vector<Key>{FakeTerminal::Char(27)},
        std::vector<Key>{FakeTerminal::Char(L'\t'), FakeTerminal::Char(L'\t'), FakeTerminal::Char(L'\r')}}) {
    FakeTerminal t(24, 80);
    t.keys.assign(keys.begin(), keys.end());
    Screen s(t);
    std::string none = "kept";
    EXPECT_FALSE(RunFileSave(s, request, &none));
    EXPECT_EQ(none, "kept");
  }
}

}  // namespace
}  // namespace ui::tty
