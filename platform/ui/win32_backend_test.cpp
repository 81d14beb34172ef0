// The Windows dialog back end: the real dialog built from the template, its
// keys routed through the framework (PreTranslateMessage first, then the
// framework's default processing), typed characters into the edit within
// its byte limit, a message box owned by the dialog, and the file-save
// dialog with the folder and name it was handed. A second thread plays the
// user: it posts keys and characters into the dialog's message queue, as
// the keyboard would, and reads what the windows show.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/test_env.h"
#include "platform/ui/backend.h"
#include "platform/ui/dialog.h"
#include "platform/wide.h"
#include "platform/win.h"

#include <windows.h>

// The framework's own members keep their names.
#undef MessageBox
#undef SetWindowText

namespace ui {
namespace {

const ControlTemplate kControls[] = {
    {100, ControlKind::Static, "名前(&N)", 7, 7, 40, 12, 0, 0},
    {10, ControlKind::Edit, "", 50, 7, 120, 12, WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE},
    {11, ControlKind::PushButton, "参照(&B)", 50, 30, 50, 14, WS_TABSTOP, 0},
    {12, ControlKind::PushButton, "閉じる", 110, 30, 50, 14, WS_TABSTOP, 0},
};
const DialogTemplate kTemplate = {200, "窓のテスト", "ＭＳ Ｐゴシック", 9, 180, 52, kControls, 4};

// Enter in the edit moves on to the browse button and F12 ends the dialog
// with 99, in PreTranslateMessage; Esc shows a notice before it ends.
class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(kTemplate, nullptr) {}
  std::vector<int> keys;  // every key-down PreTranslateMessage saw
  std::string chosen;
  FileDialogRequest request = {"保存先",
                               "",
                               "",
                               "CSV",
                               "CSV Files (*.csv)|*.csv||",
                               OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST};

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    GetDlgItem(10)->LimitText(6);
    return TRUE;
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    keys.push_back(static_cast<int>(msg->wParam));
    if (msg->wParam == VK_F12) {
      EndDialog(99);
      return TRUE;
    }
    if (msg->wParam == VK_RETURN && GetFocus() == GetDlgItem(10)) {
      GetDlgItem(11)->SetFocus();
      return TRUE;
    }
    return FALSE;
  }
  void OnCancel() override {
    MessageBox("中止します。", "通知", MB_OK | MB_ICONINFORMATION);
    EndDialog(IDCANCEL);
  }
  BOOL OnCommand(int id) override {
    if (id != 11) return FALSE;
    if (ShowFileSaveDialog(this, request, &chosen)) GetDlgItem(10)->SetWindowText(chosen.c_str());
    return TRUE;
  }
};

class TestApp : public CWinApp {
 public:
  explicit TestApp(TestDialog* d) : dialog_(d) {}
  BOOL InitInstance() override {
    code = dialog_->DoModal();
    return TRUE;
  }
  intptr_t code = -2;

 private:
  TestDialog* dialog_;
};

// Waits up to ten seconds for what ready() says.
bool WaitFor(const std::function<bool()>& ready) {
  for (int i = 0; i < 200; ++i) {
    if (ready()) return true;
    Sleep(50);
  }
  return false;
}

HWND Window(const std::wstring& caption) {
  HWND found = nullptr;
  WaitFor(
      [&] { return (found = FindWindowW(nullptr, caption.c_str())) != nullptr && IsWindowVisible(found); });
  return found;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

void Key(HWND window, int key) { PostMessageW(window, WM_KEYDOWN, key, 1); }
void Char(HWND window, wchar_t c) { PostMessageW(window, WM_CHAR, c, 1); }

class Win32BackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Wine without an X display has no windows to drive (make test-windows
    // gives it one).
    bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    if (wine && GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0)
      GTEST_SKIP() << "Wine without a display";
    std::string why;
    backend_ = MakeWin32Backend(&why);
    ASSERT_TRUE(backend_) << why;
  }
  // Runs the dialog while user() plays the user from another thread.
  intptr_t Run(TestDialog* dialog, const std::function<void()>& user) {
    TestApp app(dialog);
    std::thread player(user);
    RunApplicationWith(app, backend_.get());
    player.join();
    return app.code;
  }
  std::unique_ptr<Backend> backend_;
};

TEST_F(Win32BackendTest, KeysGoThroughTheFrameworkAndTypingKeepsTheLimit) {
  TestDialog dialog;
  intptr_t code = Run(&dialog, [&] {
    HWND d = Window(L"窓のテスト");
    ASSERT_NE(d, nullptr);
    HWND edit = GetDlgItem(d, 10), browse = GetDlgItem(d, 11), close = GetDlgItem(d, 12);
    ASSERT_TRUE(WaitFor([&] { return FocusOf(d) == edit; }));
    // Typed characters replace the selection; the limit counts CP932 bytes,
    // so the fourth double-byte character does not fit in six.
    for (wchar_t c : std::wstring(L"資産表x")) Char(edit, c);
    EXPECT_TRUE(WaitFor([&] { return TextOf(edit) == L"資産表"; })) << TextOf(edit).size();
    // Tab and Shift+Tab... by the framework: Tab moves to the browse button.
    Key(edit, VK_TAB);
    EXPECT_TRUE(WaitFor([&] { return FocusOf(d) == browse; }));
    Key(browse, VK_TAB);
    EXPECT_TRUE(WaitFor([&] { return FocusOf(d) == close; }));
    // Alt with the label's letter: the focus goes to the edit after it.
    PostMessageW(close, WM_SYSKEYDOWN, 'N', 1 | (1 << 29));
    EXPECT_TRUE(WaitFor([&] { return FocusOf(d) == edit; }));
    // Enter in the edit: PreTranslateMessage sends the focus on.
    Key(edit, VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return FocusOf(d) == browse; }));
    Key(browse, VK_F12);
  });
  EXPECT_EQ(code, 99);
  EXPECT_EQ(dialog.State(dialog.IndexOf(10)).text, "資産表");
  EXPECT_EQ(dialog.keys, (std::vector<int>{VK_TAB, VK_TAB, 'N', VK_RETURN, VK_F12}));
}

TEST_F(Win32BackendTest, EscShowsTheNoticeOwnedByTheDialog) {
  TestDialog dialog;
  bool owned = false;
  intptr_t code = Run(&dialog, [&] {
    HWND d = Window(L"窓のテスト");
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(WaitFor([&] { return FocusOf(d) == GetDlgItem(d, 10); }));
    Key(GetDlgItem(d, 10), VK_ESCAPE);
    HWND box = Window(L"通知");
    ASSERT_NE(box, nullptr);
    owned = GetWindow(box, GW_OWNER) == d;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(code, IDCANCEL);
  EXPECT_TRUE(owned);
}

TEST_F(Win32BackendTest, TheFileSaveDialogStartsInTheFolderItIsHanded) {
  testenv::ScratchDir dir("zel-save");
  std::wstring folder = win::HostFsPath(dir.path()).wstring();
  std::wstring file = folder + L"\\資産.csv";
  CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

  TestDialog dialog;
  dialog.request.folder = win::Narrow(folder + L"\\");
  dialog.request.file = "資産.csv";
  intptr_t code = Run(&dialog, [&] {
    HWND d = Window(L"窓のテスト");
    ASSERT_NE(d, nullptr);
    PostMessageW(GetDlgItem(d, 11), BM_CLICK, 0, 0);
    HWND save = Window(L"保存先");
    ASSERT_NE(save, nullptr);
    // The name it was handed is in the name box; confirm it.
    PostMessageW(save, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return TextOf(GetDlgItem(d, 10)) == file; }));
    Key(GetDlgItem(d, 10), VK_F12);
  });
  EXPECT_EQ(code, 99);
  EXPECT_EQ(dialog.chosen, win::Narrow(file));
}

}  // namespace
}  // namespace ui
