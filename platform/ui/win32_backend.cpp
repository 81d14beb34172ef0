// The Windows dialog back end: the dialog as a real Windows dialog, built in
// memory from the framework's template (DialogBoxIndirectParamW), message
// boxes (MessageBoxW), the file-save dialog (GetSaveFileNameW), the wait
// cursor, and WordPad itself for the error log.
//
// The framework keeps the dialog's state and routes its keys as for every
// back end. A message filter hook sees each message of the dialog's modal
// loop before the dialog manager does: key-downs go to CDialog::KeyDown
// (PreTranslateMessage first, then the framework's default processing) and
// typed characters to CDialog::TypeChars, and are not seen by the dialog
// manager. Before each of them the framework takes over what the user did
// with the mouse or the clipboard (the focus, the edit's text and
// selection); after it the controls are brought up to date with the
// framework's state. The edit keeps only the clipboard and word keys of its
// own.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "platform/ui/backend.h"
#include "platform/ui/dialog.h"
#include "platform/wide.h"

#include <windows.h>
#include <cderr.h>
#include <commdlg.h>

// <windows.h> renames MessageBox to MessageBoxW; the back end's own member
// keeps its name. Without STRICT the system declares its callbacks without
// parameters: ours are cast through a plain function pointer.
#undef MessageBox

namespace ui {
namespace {

// ---- The dialog template in memory -------------------------------------------------
class TemplateWriter {
 public:
  void Word(WORD w) { words_.push_back(w); }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void Text(const std::wstring& text) {
    for (wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  void Align() {
    if (words_.size() % 2) Word(0);
  }
  const DLGTEMPLATE* data() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  std::vector<WORD> words_;  // its storage is aligned for a DWORD
};

DWORD KindStyle(ControlKind kind, WORD* window_class) {
  switch (kind) {
    case ControlKind::Static: *window_class = 0x0082; return SS_LEFT;
    case ControlKind::GroupBox: *window_class = 0x0080; return BS_GROUPBOX;
    case ControlKind::Edit: *window_class = 0x0081; return ES_LEFT;
    case ControlKind::PushButton: *window_class = 0x0080; return BS_PUSHBUTTON;
  }
  return 0;
}

// A modal frame with caption and system menu, no default push button; the
// controls in template (and tab) order.
void WriteTemplate(CDialog& dialog, TemplateWriter* w) {
  const DialogTemplate& t = dialog.Template();
  int n = t.control_count > 0 && t.controls ? t.control_count : 0;
  w->Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  w->Dword(0);
  w->Word(static_cast<WORD>(n));
  w->Word(0);
  w->Word(0);
  w->Word(static_cast<WORD>(t.cx));
  w->Word(static_cast<WORD>(t.cy));
  w->Word(0);  // no menu
  w->Word(0);  // the dialog class
  w->Text(win::Wide(t.caption ? t.caption : ""));
  w->Word(static_cast<WORD>(t.point_size));
  w->Text(win::Wide(t.font ? t.font : ""));
  for (int i = 0; i < n; ++i) {
    const ControlTemplate& c = t.controls[i];
    WORD window_class = 0;
    DWORD style = WS_CHILD | WS_VISIBLE | KindStyle(c.kind, &window_class) | c.style;
    if (!dialog.State(i).enabled) style |= WS_DISABLED;
    w->Align();
    w->Dword(style);
    w->Dword(c.ex_style);
    w->Word(static_cast<WORD>(c.x));
    w->Word(static_cast<WORD>(c.y));
    w->Word(static_cast<WORD>(c.cx));
    w->Word(static_cast<WORD>(c.cy));
    w->Word(static_cast<WORD>(c.id));
    w->Word(0xFFFF);
    w->Word(window_class);
    w->Text(win::Wide(dialog.State(i).text));
    w->Word(0);  // no creation data
  }
}

// Byte positions of a CP932 text and positions of its UTF-16 form: every
// character is one UTF-16 unit (platform/wide.h).
int WideIndex(const std::string& text, int byte) {
  int k = 0;
  for (size_t i = 0; i < text.size() && static_cast<int>(i) < byte; i += cp932::CharLength(text, i)) ++k;
  return k;
}
int ByteIndex(const std::string& text, int wide) {
  size_t i = 0;
  for (int k = 0; k < wide && i < text.size(); ++k) i += cp932::CharLength(text, i);
  return static_cast<int>(i);
}

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

bool Held(int virtual_key) { return ::GetKeyState(virtual_key) < 0; }

class Win32Backend;
Win32Backend* running = nullptr;  // the back end whose dialog is on screen

class Win32Backend : public Backend {
 public:
  void DialogShown(CDialog& /*dialog*/) override {}

  // The dialog manager's modal loop delivers every action until the
  // framework's dialog has ended.
  void NextInput(CDialog& dialog) override {
    TemplateWriter writer;
    WriteTemplate(dialog, &writer);
    dialog_ = &dialog;
    running = this;
    HHOOK hook = SetWindowsHookExW(WH_MSGFILTER,
                                   reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(MessageFilter)),
                                   nullptr, GetCurrentThreadId());
    INT_PTR result = DialogBoxIndirectParamW(
        GetModuleHandleW(nullptr), writer.data(), nullptr,
        reinterpret_cast<DLGPROC>(reinterpret_cast<void (*)()>(DialogProc)), reinterpret_cast<LPARAM>(this));
    DWORD error = GetLastError();
    if (hook) UnhookWindowsHookEx(hook);
    running = nullptr;
    hwnd_ = nullptr;
    controls_.clear();
    if (result == -1 && !dialog.IsEnded()) {
      std::fprintf(stderr, "the dialog cannot be shown (Windows error %lu); the dialog counts as quit\n",
                   error);
      throw RunAborted{kEarlyEndStatus};
    }
  }

  void DialogEnded(CDialog& /*dialog*/, int /*code*/) override { dialog_ = nullptr; }

  int MessageBox(HWND owner, const char* text, const char* caption, UINT style) override {
    return MessageBoxW(owner ? hwnd_ : nullptr, win::Wide(text).c_str(), win::Wide(caption).c_str(), style);
  }

  bool FileSave(CDialog* owner, const FileDialogRequest& request, std::string* path) override {
    // "CSV Files (*.csv)|*.csv||": the pairs that the system wants NUL-separated.
    std::wstring filter = win::Wide(request.filter);
    for (wchar_t& c : filter)
      if (c == L'|') c = L'\0';
    filter.push_back(L'\0');
    std::wstring title = win::Wide(request.title), folder = win::Wide(request.folder),
                 ext = win::Wide(request.ext);
    for (std::wstring initial : {win::Wide(request.file), std::wstring()}) {
      std::vector<wchar_t> file(1024, L'\0');
      initial.copy(file.data(), file.size() - 1);
      OPENFILENAMEW ofn = {};
      ofn.lStructSize = sizeof ofn;
      ofn.hwndOwner = owner ? hwnd_ : nullptr;
      ofn.lpstrFilter = filter.c_str();
      ofn.lpstrFile = file.data();
      ofn.nMaxFile = static_cast<DWORD>(file.size());
      ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
      ofn.lpstrTitle = title.c_str();
      ofn.lpstrDefExt = ext.c_str();
      ofn.Flags = request.flags | OFN_EXPLORER;
      if (GetSaveFileNameW(&ofn)) {
        *path = win::Narrow(file.data());
        return true;
      }
      // A name the dialog cannot start with (one with a character that no
      // file name may hold): the dialog opens without it.
      if (CommDlgExtendedError() != FNERR_INVALIDFILENAME || initial.empty()) return false;
    }
    return false;
  }

  void ProcessStarted(const std::string&, const std::string&, bool) override {}
  // WordPad itself shows the log (ReplacesWordpad is false): never called.
  void ShowLog(const std::string&, bool) override {}
  bool ReplacesWordpad() const override { return false; }
  // A double-clicked program has no console: standard error reaches nobody.
  bool ShowsRefusals() const override { return true; }

  void WaitCursor(bool shown) override { SetCursor(LoadCursorA(nullptr, shown ? IDC_WAIT : IDC_ARROW)); }

  // The thread's waiting messages, one by one, for at most a second.
  void PumpPending() override {
    DWORD start = GetTickCount();
    ::MSG msg;
    while (GetTickCount() - start <= 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  void DiscardPending() override {
    ::MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    Win32Backend* self = running;
    if (!self) return FALSE;
    switch (message) {
      case WM_INITDIALOG: self->Attach(hwnd); return FALSE;  // the focus is set already
      case WM_COMMAND:
        if (HIWORD(wparam) == BN_CLICKED && lparam != 0) {
          self->Route([&] { self->dialog_->Click(static_cast<short>(LOWORD(wparam))); });
          return TRUE;
        }
        if (HIWORD(wparam) == EN_CHANGE && !self->pushing_) self->Pull();
        return FALSE;
      case WM_CLOSE: self->Route([&] { self->dialog_->Close(); }); return TRUE;
      default: return FALSE;
    }
  }

  static LRESULT CALLBACK MessageFilter(int code, WPARAM wparam, LPARAM lparam) {
    if (code == MSGF_DIALOGBOX && running && running->Filter(reinterpret_cast<::MSG*>(lparam))) return 1;
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }

  void Attach(HWND hwnd) {
    hwnd_ = hwnd;
    controls_.clear();
    for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) controls_.push_back(c);
    shown_.assign(controls_.size(), std::wstring());
    Push(true);
  }

  int IndexOfWindow(HWND hwnd) const {
    for (size_t i = 0; i < controls_.size(); ++i)
      if (controls_[i] == hwnd || IsChild(controls_[i], hwnd)) return static_cast<int>(i);
    return -1;
  }
  bool IsEdit(int index) const {
    return index >= 0 && index < static_cast<int>(controls_.size()) &&
           dialog_->Template().controls[index].kind == ControlKind::Edit;
  }

  // Keys that stay the edit's own or the system's.
  bool NativeKey(int key, bool shift, bool ctrl, bool alt) const {
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU || key == VK_LWIN || key == VK_RWIN ||
        key == VK_PROCESSKEY || key == VK_CAPITAL)
      return true;
    if (alt) return key == VK_F4 || key == VK_SPACE;
    if (!IsEdit(IndexOfWindow(GetFocus()))) return false;
    if (ctrl)
      return key == 'C' || key == 'V' || key == 'X' || key == 'Z' || key == 'A' || key == VK_INSERT ||
             key == VK_LEFT || key == VK_RIGHT || key == VK_HOME || key == VK_END || key == VK_BACK ||
             key == VK_DELETE;
    return shift && key == VK_INSERT;
  }

  // True when the message was handled here and the dialog manager must not
  // see it.
  bool Filter(::MSG* msg) {
    if (!hwnd_ || !dialog_ || (msg->hwnd != hwnd_ && !IsChild(hwnd_, msg->hwnd))) return false;
    switch (msg->message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN: {
        int key = static_cast<int>(msg->wParam);
        bool shift = Held(VK_SHIFT), ctrl = Held(VK_CONTROL);
        bool alt = msg->message == WM_SYSKEYDOWN && (msg->lParam & (1 << 29)) != 0;
        if (NativeKey(key, shift, ctrl, alt)) return false;
        TranslateMessage(msg);  // the characters of the key come as WM_CHAR
        Route([&] { dialog_->KeyDown(key, shift, ctrl, alt); });
        return true;
      }
      case WM_CHAR:
      case WM_IME_CHAR: {
        wchar_t c = static_cast<wchar_t>(msg->wParam);
        if (c < 0x20 || c == 0x7F) {
          // The clipboard keys' control characters belong to the edit; the
          // framework had Tab, Enter, Esc and Backspace as keys already.
          return c == L'\t' || c == L'\r' || c == L'\n' || c == 0x1B || c == L'\b' || c == 0x7F;
        }
        if (c >= 0xD800 && c < 0xDC00) {
          high_surrogate_ = c;
          return true;
        }
        std::wstring typed = high_surrogate_ && c >= 0xDC00 && c < 0xE000 ? std::wstring{high_surrogate_, c}
                                                                          : std::wstring(1, c);
        high_surrogate_ = 0;
        Route([&] { dialog_->TypeChars(win::Narrow(typed)); });
        return true;
      }
      case WM_SYSCHAR: return msg->wParam != L' ';  // Alt with a letter was a mnemonic key
      default: return false;
    }
  }

  // Runs one input of the framework between taking over what the user did
  // in the controls and bringing the controls up to date; closes the
  // window when the framework's dialog has ended.
  template <typename Input>
  void Route(Input input) {
    if (!dialog_ || dialog_->IsEnded()) return;
    Pull();
    input();
    if (!hwnd_) return;
    Push(false);
    if (dialog_->IsEnded()) EndDialog(hwnd_, dialog_->EndCode());
  }

  // The framework takes over the focus and what the user did in the edits.
  void Pull() {
    int focus = IndexOfWindow(GetFocus());
    if (focus >= 0 && dialog_->CanFocus(focus)) dialog_->SetFocusIndex(focus);
    for (size_t i = 0; i < controls_.size(); ++i) {
      if (!IsEdit(static_cast<int>(i))) continue;
      CDialog::ControlState& s = dialog_->State(static_cast<int>(i));
      std::wstring text = WindowText(controls_[i]);
      if (text != shown_[i]) {
        s.text = win::Narrow(text);
        shown_[i] = text;
      }
      DWORD start = 0, end = 0;
      SendMessageW(controls_[i], EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
      int a = ByteIndex(s.text, static_cast<int>(start)), b = ByteIndex(s.text, static_cast<int>(end));
      // The edit does not tell which end holds the caret: keep the
      // framework's when the range is the same.
      if (!((s.sel_start == a && s.sel_end == b) || (s.sel_start == b && s.sel_end == a))) {
        s.sel_start = a;
        s.sel_end = b;
      }
    }
  }

  // The controls are brought up to date with the framework's state.
  void Push(bool all) {
    pushing_ = true;
    for (size_t i = 0; i < controls_.size(); ++i) {
      const CDialog::ControlState& s = dialog_->State(static_cast<int>(i));
      std::wstring text = win::Wide(s.text);
      if (all || text != shown_[i]) {
        SetWindowTextW(controls_[i], text.c_str());
        shown_[i] = text;
      }
      if (!IsWindowEnabled(controls_[i]) != !s.enabled) EnableWindow(controls_[i], s.enabled);
      if (IsEdit(static_cast<int>(i))) SendMessageW(controls_[i], EM_SETLIMITTEXT, s.limit, 0);
    }
    int focus = dialog_->FocusIndex();
    if (focus >= 0 && focus < static_cast<int>(controls_.size()) && GetFocus() != controls_[focus])
      SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(controls_[focus]), TRUE);
    for (size_t i = 0; i < controls_.size(); ++i) {
      if (!IsEdit(static_cast<int>(i))) continue;
      const CDialog::ControlState& s = dialog_->State(static_cast<int>(i));
      SendMessageW(controls_[i], EM_SETSEL, WideIndex(s.text, s.sel_start), WideIndex(s.text, s.sel_end));
    }
    pushing_ = false;
  }

  CDialog* dialog_ = nullptr;
  HWND hwnd_ = nullptr;
  std::vector<HWND> controls_;       // in template order
  std::vector<std::wstring> shown_;  // the text each control shows
  bool pushing_ = false;
  wchar_t high_surrogate_ = 0;
};

}  // namespace

std::unique_ptr<Backend> MakeWin32Backend(std::string* /*why*/) { return std::make_unique<Win32Backend>(); }

}  // namespace ui
