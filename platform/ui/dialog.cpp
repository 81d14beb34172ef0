// The dialog framework: control state, data exchange, focus and tab order,
// the input routing shared by every back end, the modal run, the services
// and the application object.
#include "platform/ui/dialog.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string_view>

#include "platform/cp932.h"
#include "platform/message_box.h"
#include "platform/ui/backend.h"
#include "platform/viewer.h"

namespace ui {
namespace {

// The back end of the running application; null outside RunApplication or
// when no back end could be had.
Backend* active_backend = nullptr;
CWinApp* the_app = nullptr;

// Modifier keys held during the key message being processed.
struct Modifiers {
  bool shift = false, ctrl = false, alt = false;
};
Modifiers held_keys;

// Sets the held modifiers for the length of one key message.
class ScopedModifiers {
 public:
  explicit ScopedModifiers(Modifiers m) : saved_(held_keys) { held_keys = m; }
  ~ScopedModifiers() { held_keys = saved_; }

 private:
  Modifiers saved_;
};

bool IsButton(const ControlTemplate& c) { return c.kind == ControlKind::PushButton; }

// Start of the character before byte position p, and the end of the one at p.
int PrevChar(const std::string& text, int p) {
  if (p <= 0) return 0;
  return cp932::ByteKind(text, static_cast<size_t>(p - 1)) == 2 ? p - 2 : p - 1;
}
int NextChar(const std::string& text, int p) {
  int len = static_cast<int>(text.size());
  if (p >= len) return len;
  return cp932::ByteKind(text, static_cast<size_t>(p)) == 1 && p + 1 < len ? p + 2 : p + 1;
}

// The selection of an edit, ordered and kept inside its text.
void SelectionRange(const CDialog::ControlState& s, int* a, int* b) {
  int len = static_cast<int>(s.text.size());
  *a = std::min(std::max(std::min(s.sel_start, s.sel_end), 0), len);
  *b = std::min(std::max(std::max(s.sel_start, s.sel_end), 0), len);
}

// Typing into an edit: insert replaces the selection, cut to what the limit
// leaves room for; the caret follows the inserted text.
void ReplaceSelection(CDialog::ControlState& s, std::string_view insert) {
  int a = 0, b = 0;
  SelectionRange(s, &a, &b);
  size_t kept = s.text.size() - static_cast<size_t>(b - a);
  if (s.limit > 0) {
    size_t room = static_cast<size_t>(s.limit) > kept ? static_cast<size_t>(s.limit) - kept : 0;
    insert = insert.substr(0, cp932::CutLength(insert, room));
  }
  if (insert.empty() && a == b) return;
  s.text = s.text.substr(0, a) + std::string(insert) + s.text.substr(b);
  s.sel_start = s.sel_end = a + static_cast<int>(insert.size());
}

// The editing keys of an edit. The caret is sel_end; with Shift the anchor
// (sel_start) stays, so that the selection grows or shrinks.
void EditKey(CDialog::ControlState& s, int key, bool shift) {
  int len = static_cast<int>(s.text.size());
  int a = 0, b = 0;
  SelectionRange(s, &a, &b);
  int caret = std::min(std::max(s.sel_end, 0), len);
  switch (key) {
    case VK_BACK:
    case VK_DELETE:
      if (a == b) {
        if (key == VK_BACK)
          a = PrevChar(s.text, a);
        else
          b = NextChar(s.text, b);
      }
      s.text.erase(static_cast<size_t>(a), static_cast<size_t>(b - a));
      s.sel_start = s.sel_end = a;
      return;
    case VK_LEFT: caret = shift || a == b ? PrevChar(s.text, caret) : a; break;
    case VK_RIGHT: caret = shift || a == b ? NextChar(s.text, caret) : b; break;
    case VK_HOME: caret = 0; break;
    case VK_END: caret = len; break;
    default: return;
  }
  if (!shift) s.sel_start = caret;
  s.sel_end = caret;
}

// The key of a text's mnemonic: the letter or digit after a single "&"
// ("&&" is a plain "&"), upper-cased; 0 when there is none.
int MnemonicOf(std::string_view text) {
  for (size_t at = cp932::Find(text, '&'); at != std::string_view::npos && at + 1 < text.size();
       at = cp932::Find(text, '&', at + 2)) {
    char c = text[at + 1];
    if (c == '&') continue;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ? c : 0;
  }
  return 0;
}

}  // namespace

short GetKeyState(int virtual_key) {
  bool down = (virtual_key == VK_SHIFT && held_keys.shift) || (virtual_key == VK_CONTROL && held_keys.ctrl) ||
              (virtual_key == VK_MENU && held_keys.alt);
  return down ? static_cast<short>(0x8000) : 0;
}

// ---- CDialog state ---------------------------------------------------------------
struct CDialog::Impl {
  Impl(const DialogTemplate& t) : tmpl(t) {}
  const DialogTemplate& tmpl;
  std::string caption;
  std::vector<ControlState> states;          // one per template control
  std::vector<std::unique_ptr<CWnd>> items;  // what GetDlgItem hands out
  int focus = -1;
  bool ended = false;
  int end_code = 0;
};

CDialog::CDialog(const DialogTemplate& tmpl, CWnd* /*parent*/) : impl_(new Impl(tmpl)) {
  Bind(this, -1);
  impl_->caption = tmpl.caption ? tmpl.caption : "";
  int n = tmpl.control_count > 0 && tmpl.controls ? tmpl.control_count : 0;
  impl_->states.resize(n);
  for (int i = 0; i < n; ++i) {
    impl_->states[i].text = tmpl.controls[i].text ? tmpl.controls[i].text : "";
    impl_->items.push_back(std::make_unique<CWnd>());
    impl_->items.back()->Bind(this, i);
  }
}

CDialog::~CDialog() { delete impl_; }

const DialogTemplate& CDialog::Template() const { return impl_->tmpl; }

CDialog::ControlState& CDialog::State(int index) { return impl_->states.at(index); }

int CDialog::FocusIndex() const { return impl_->focus; }

void CDialog::SetFocusIndex(int index) {
  if (index >= -1 && index < static_cast<int>(impl_->states.size())) impl_->focus = index;
}

int CDialog::IndexOf(int control_id) const {
  for (size_t i = 0; i < impl_->states.size(); ++i)
    if (impl_->tmpl.controls[i].id == control_id) return static_cast<int>(i);
  return -1;
}

bool CDialog::CanFocus(int index) const {
  if (index < 0 || index >= static_cast<int>(impl_->states.size())) return false;
  ControlKind kind = impl_->tmpl.controls[index].kind;
  return (kind == ControlKind::Edit || kind == ControlKind::PushButton) && impl_->states[index].enabled;
}

void CDialog::InputText(int index, const std::string& text) {
  ControlState& s = State(index);
  s.text = text;
  s.sel_start = s.sel_end = static_cast<int>(text.size());
}

// ---- Modal run --------------------------------------------------------------------
intptr_t CDialog::DoModal() {
  impl_->ended = false;
  impl_->end_code = 0;
  impl_->focus = -1;
  if (!active_backend) return -1;
  if (OnInitDialog()) {
    // As the dialog manager does: the focus goes to the first tab stop, and
    // an edit that receives it this way has its text selected.
    for (size_t i = 0; i < impl_->states.size(); ++i) {
      if ((impl_->tmpl.controls[i].style & WS_TABSTOP) && CanFocus(static_cast<int>(i))) {
        impl_->focus = static_cast<int>(i);
        if (impl_->tmpl.controls[i].kind == ControlKind::Edit)
          GetDlgItem(impl_->tmpl.controls[i].id)->SetSel(0, -1);
        break;
      }
    }
  }
  // A dialog that ended during its initialisation is never shown.
  if (!impl_->ended) {
    active_backend->DialogShown(*this);
    while (!impl_->ended) active_backend->NextInput(*this);
  }
  active_backend->DialogEnded(*this, impl_->end_code);
  return impl_->end_code;
}

void CDialog::EndDialog(int code) {
  impl_->ended = true;
  impl_->end_code = code;
}

bool CDialog::IsEnded() const { return impl_->ended; }
int CDialog::EndCode() const { return impl_->end_code; }

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}
BOOL CDialog::PreTranslateMessage(MSG* /*msg*/) { return FALSE; }
void CDialog::DoDataExchange(CDataExchange* /*dx*/) {}
void CDialog::OnCancel() { EndDialog(IDCANCEL); }
BOOL CDialog::OnCommand(int /*control_id*/) { return FALSE; }

BOOL CDialog::UpdateData(BOOL save_and_validate) {
  CDataExchange dx(this, save_and_validate);
  DoDataExchange(&dx);
  return TRUE;
}

CWnd* CDialog::GetDlgItem(int id) {
  int i = IndexOf(id);
  return i < 0 ? nullptr : impl_->items[i].get();
}

CWnd* CDialog::GetFocus() { return impl_->focus < 0 ? nullptr : impl_->items[impl_->focus].get(); }

int CDialog::MessageBox(const char* text, const char* caption, UINT style) {
  return MessageBoxes().Show(GetSafeHwnd(), text, caption, style);
}

// ---- Input routing ------------------------------------------------------------------
// A command from control id: the dialog's handlers first; IDOK and IDCANCEL
// (Esc, the close command) fall back to the standard handling.
static void SendCommand(CDialog* dialog, int id, BOOL handled) {
  if (handled) return;
  if (id == IDCANCEL) {
    dialog->OnCancel();
  } else if (id == IDOK) {
    dialog->UpdateData(TRUE);
    dialog->EndDialog(IDOK);
  }
}

void CDialog::KeyDown(int virtual_key, bool shift, bool ctrl, bool alt) {
  if (impl_->ended) return;
  ScopedModifiers scope({shift, ctrl, alt});
  CWnd* focus = GetFocus();
  MSG msg = {focus ? focus->GetSafeHwnd() : GetSafeHwnd(), WM_KEYDOWN, static_cast<WPARAM>(virtual_key), 0};
  if (PreTranslateMessage(&msg) || impl_->ended) return;

  // Default processing, as the dialog manager does it.
  if (alt && !ctrl) {
    Mnemonic(virtual_key);
    return;
  }
  if (ctrl || alt) return;
  int f = impl_->focus;
  const ControlTemplate* focused = f >= 0 ? &impl_->tmpl.controls[f] : nullptr;
  switch (virtual_key) {
    case VK_TAB: MoveFocus(shift, true); break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_HOME:
    case VK_END:
    case VK_BACK:
    case VK_DELETE:
    case VK_UP:
    case VK_DOWN:
      if (focused && focused->kind == ControlKind::Edit) {
        EditKey(impl_->states[f], virtual_key, shift);
      } else if (focused && IsButton(*focused) && virtual_key != VK_BACK && virtual_key != VK_DELETE &&
                 virtual_key != VK_HOME && virtual_key != VK_END) {
        // Arrows move among the controls, as in a dialog's one group.
        MoveFocus(virtual_key == VK_LEFT || virtual_key == VK_UP, false);
      }
      break;
    case VK_RETURN:
      // No default button: Enter acts only on a focused button.
      if (focused && IsButton(*focused)) Click(focused->id);
      break;
    case VK_SPACE:
      if (focused && IsButton(*focused)) {
        Click(focused->id);
      } else if (focused && focused->kind == ControlKind::Edit) {
        // Typing a blank replaces the selection.
        ReplaceSelection(impl_->states[f], " ");
      }
      break;
    case VK_ESCAPE: SendCommand(this, IDCANCEL, OnCommand(IDCANCEL)); break;
    default: break;
  }
}

// Alt with the letter after "&" in a control's text: a button is clicked; a
// label or group box sends the focus to the next control that can take it.
// An edit's text is the user's and has no mnemonic.
void CDialog::Mnemonic(int virtual_key) {
  int n = static_cast<int>(impl_->states.size());
  for (int i = 0; i < n; ++i) {
    const ControlTemplate& c = impl_->tmpl.controls[i];
    if (c.kind == ControlKind::Edit || MnemonicOf(impl_->states[i].text) != virtual_key) continue;
    if (IsButton(c)) {
      Click(c.id);
      return;
    }
    for (int j = i + 1; j < n; ++j) {
      if (CanFocus(j)) {
        impl_->focus = j;
        if (impl_->tmpl.controls[j].kind == ControlKind::Edit) impl_->items[j]->SetSel(0, -1);
        return;
      }
    }
    return;
  }
}

void CDialog::TypeChars(const std::string& text) {
  int f = impl_->focus;
  if (impl_->ended || f < 0 || impl_->tmpl.controls[f].kind != ControlKind::Edit || !impl_->states[f].enabled)
    return;
  ReplaceSelection(impl_->states[f], text);
}

// Moves the focus to the next (or previous) control that can take it; with
// tab_stops_only, among the tab stops. An edit reached this way has its text
// selected.
void CDialog::MoveFocus(bool back, bool tab_stops_only) {
  int n = static_cast<int>(impl_->states.size());
  int f = impl_->focus;
  for (int step = 1; step <= n; ++step) {
    int i = ((f < 0 ? (back ? 0 : n - 1) : f) + (back ? n - step : step)) % n;
    if ((!tab_stops_only || (impl_->tmpl.controls[i].style & WS_TABSTOP)) && CanFocus(i)) {
      impl_->focus = i;
      if (impl_->tmpl.controls[i].kind == ControlKind::Edit) impl_->items[i]->SetSel(0, -1);
      return;
    }
  }
}

void CDialog::Click(int control_id) {
  int i = IndexOf(control_id);
  if (impl_->ended || i < 0 || !IsButton(impl_->tmpl.controls[i]) || !impl_->states[i].enabled) return;
  impl_->focus = i;  // a clicked button takes the focus
  SendCommand(this, control_id, OnCommand(control_id));
}

void CDialog::Close() {
  if (impl_->ended) return;
  SendCommand(this, IDCANCEL, OnCommand(IDCANCEL));
}

// ---- CWnd -----------------------------------------------------------------------------
void CWnd::Bind(CDialog* dialog, int index) {
  dialog_ = dialog;
  index_ = index;
}

HWND CWnd::GetSafeHwnd() const {
  if (!dialog_) return nullptr;
  if (index_ < 0) return const_cast<CDialog*>(dialog_);
  return &dialog_->State(index_);
}

int CWnd::GetDlgCtrlID() const {
  if (!dialog_ || index_ < 0) return 0;
  return dialog_->Template().controls[index_].id;
}

void CWnd::SetWindowText(const char* text) {
  if (!dialog_ || index_ < 0) return;
  CDialog::ControlState& s = dialog_->State(index_);
  s.text = text ? text : "";
  s.sel_start = s.sel_end = 0;
}

std::string CWnd::GetWindowTextString() const {
  if (!dialog_) return std::string();
  if (index_ < 0) return dialog_->Template().caption ? dialog_->Template().caption : "";
  return dialog_->State(index_).text;
}

int CWnd::GetWindowText(char* buffer, int size) const {
  if (!buffer || size <= 0) return 0;
  return static_cast<int>(cp932::CopyCut(buffer, static_cast<size_t>(size), GetWindowTextString()));
}

BOOL CWnd::EnableWindow(BOOL enable) {
  if (!dialog_ || index_ < 0) return FALSE;
  CDialog::ControlState& s = dialog_->State(index_);
  BOOL was_disabled = s.enabled ? FALSE : TRUE;
  s.enabled = enable != FALSE;
  return was_disabled;
}

BOOL CWnd::IsWindowEnabled() const {
  if (!dialog_) return FALSE;
  return index_ < 0 ? TRUE : (dialog_->State(index_).enabled ? TRUE : FALSE);
}

CWnd* CWnd::SetFocus() {
  if (!dialog_ || index_ < 0) return nullptr;
  CWnd* previous = dialog_->GetFocus();
  dialog_->SetFocusIndex(index_);
  return previous;
}

void CWnd::LimitText(int bytes) {
  if (dialog_ && index_ >= 0) dialog_->State(index_).limit = bytes > 0 ? bytes : 0;
}

void CWnd::SetSel(int start, int end) {
  if (!dialog_ || index_ < 0) return;
  CDialog::ControlState& s = dialog_->State(index_);
  int len = static_cast<int>(s.text.size());
  if (start < 0) {  // -1 takes the selection away, leaving the caret
    s.sel_start = s.sel_end;
    return;
  }
  if (end < 0 || end > len) end = len;
  s.sel_start = std::min(start, len);
  s.sel_end = end;
}

void CWnd::GetSel(int* start, int* end) const {
  int a = 0, b = 0;
  if (dialog_ && index_ >= 0) {
    a = dialog_->State(index_).sel_start;
    b = dialog_->State(index_).sel_end;
  }
  if (start) *start = a;
  if (end) *end = b;
}

void CWnd::ScrollCaret() {
  // The back ends always draw an edit with its caret in view.
}

// ---- Data exchange --------------------------------------------------------------------
void DDX_Text(CDataExchange* dx, int id, char* buffer, int size) {
  if (!dx || !buffer || size <= 0) return;
  CWnd* control = dx->dialog()->GetDlgItem(id);
  if (!control) return;
  if (dx->m_bSaveAndValidate()) {
    control->GetWindowText(buffer, size);
  } else {
    control->SetWindowText(std::string(cp932::FieldText(buffer, static_cast<size_t>(size))).c_str());
  }
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (!dx) return;
  int i = dx->dialog()->IndexOf(id);
  if (i >= 0) control.Bind(dx->dialog(), i);
}

// ---- Services ---------------------------------------------------------------------------
bool ShowFileSaveDialog(CDialog* owner, const FileDialogRequest& request, std::string* path) {
  if (!active_backend || !path) return false;
  return active_backend->FileSave(owner, request, path);
}

void PumpPendingInput() {
  if (active_backend) active_backend->PumpPending();
}

void DiscardPendingInput() {
  if (active_backend) active_backend->DiscardPending();
}

void ShowProgress(long done, long total) {
  if (active_backend) active_backend->Progress(done, total);
}

void ShowWorkingNote(const char* text) {
  if (active_backend) active_backend->WorkingNote(text);
}

// ---- Application ------------------------------------------------------------------------
namespace {
int exit_status = 0;
int wait_cursor_depth = 0;
}  // namespace

CWinApp::CWinApp() { the_app = this; }
CWinApp::~CWinApp() {
  if (the_app == this) the_app = nullptr;
}
BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return exit_status; }
void CWinApp::SetExitStatus(int status) { exit_status = status; }
int CWinApp::GetExitStatus() const { return exit_status; }

void CWinApp::BeginWaitCursor() {
  if (wait_cursor_depth++ == 0 && active_backend) active_backend->WaitCursor(true);
}
void CWinApp::RestoreWaitCursor() {
  if (wait_cursor_depth > 0 && active_backend) active_backend->WaitCursor(true);
}
void CWinApp::EndWaitCursor() {
  if (wait_cursor_depth > 0 && --wait_cursor_depth == 0 && active_backend) active_backend->WaitCursor(false);
}

CWinApp* AfxGetApp() { return the_app; }

namespace {

// Hands the message boxes and the log viewer of the program to the back end
// for the length of a run.
class BackendBoxes : public MessageBoxService {
 public:
  explicit BackendBoxes(Backend* b) : backend_(b) {}
  int Show(HWND owner, const char* text, const char* caption, UINT style) override {
    return backend_->MessageBox(owner, text ? text : "", caption ? caption : "", style);
  }
  void ShowRefusal(const char* text, const char* caption) override {
    if (backend_->ShowsRefusals()) Show(nullptr, text, caption, MB_OK | MB_ICONSTOP);
  }

 private:
  Backend* backend_;
};

class BackendViewer : public win::LogViewer {
 public:
  explicit BackendViewer(Backend* b) : backend_(b) {}
  void ProcessStarted(const std::string& command, const std::string& folder, bool started) override {
    backend_->ProcessStarted(command, folder, started);
  }
  void Show(const std::string& host_path, bool wait) override { backend_->ShowLog(host_path, wait); }
  bool ReplacesWordpad() const override { return backend_->ReplacesWordpad(); }

 private:
  Backend* backend_;
};

}  // namespace

int RunApplicationWith(CWinApp& app, Backend* backend) {
  BackendBoxes boxes(backend);
  BackendViewer viewer(backend);
  active_backend = backend;
  if (backend) {
    SetMessageBoxService(&boxes);
    win::SetLogViewer(&viewer);
  }
  exit_status = 0;
  wait_cursor_depth = 0;
  try {
    if (backend) backend->Start();
    // A start-up that ends early without saying why ends with status 1.
    if (!app.InitInstance() && app.GetExitStatus() == 0) app.SetExitStatus(kEarlyEndStatus);
  } catch (const RunAborted& aborted) {
    app.SetExitStatus(aborted.status);
    // A run cut short inside the export leaves no wait cursor behind.
    if (wait_cursor_depth > 0 && backend) backend->WaitCursor(false);
    wait_cursor_depth = 0;
  }
  int status = app.ExitInstance();
  if (backend) {
    SetMessageBoxService(nullptr);
    win::SetLogViewer(nullptr);
  }
  active_backend = nullptr;
  return status;
}

int RunApplication(CWinApp& app) {
  std::string why;
  std::unique_ptr<Backend> backend = SelectBackend(&why);
  if (!backend) std::fprintf(stderr, "%s\n", why.c_str());
  return RunApplicationWith(app, backend.get());
}

}  // namespace ui
