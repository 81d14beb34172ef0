// A small dialog framework shaped like the Windows dialog manager and MFC:
// a dialog is built from a template; it keeps each control's text, enabled
// state, edit limit and selection, and the focus. Key-down messages go first
// to PreTranslateMessage; what it leaves goes to default processing (Tab and
// Shift+Tab move the focus along tab stops, Enter or Space on a button clicks
// it, Enter elsewhere does nothing, Esc and the close command call OnCancel,
// Alt with a control's "&" letter clicks that button or focuses the control
// after that label).
// The active back end (script or tty) drives the modal loop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wintypes.h"

namespace ui {

// ---- Messages and keys ------------------------------------------------------
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;

#define WM_KEYDOWN 0x0100u
#define WM_CLOSE 0x0010u
#define WM_COMMAND 0x0111u

#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_F12 0x7B
#define VK_BACK 0x08
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_DELETE 0x2E

struct MSG {
  HWND hwnd;      // the control (or dialog) the message is for
  UINT message;   // WM_KEYDOWN, ...
  WPARAM wParam;  // virtual key for WM_KEYDOWN
  LPARAM lParam;
};

// State of a modifier key while a key message is being processed: negative
// (high bit set) when held, as on Windows.
short GetKeyState(int virtual_key);

// ---- Templates -----------------------------------------------------------------
enum class ControlKind { Static, GroupBox, Edit, PushButton };

// Styles the framework and back ends honour.
#define SS_RIGHT 0x0002u
#define SS_CENTERIMAGE 0x0200u
#define ES_AUTOHSCROLL 0x0080u
#define WS_TABSTOP 0x00010000u
#define WS_BORDER 0x00800000u
#define WS_EX_CLIENTEDGE 0x00000200u
#define WS_EX_STATICEDGE 0x00020000u

#define IDC_STATIC (-1)

struct ControlTemplate {
  int id;  // IDC_STATIC for none
  ControlKind kind;
  const char* text;  // CP932
  int x, y, cx, cy;  // dialog units
  UINT style;
  UINT ex_style;
};

// The controls whose texts the automation transcript reports when the
// dialog is shown, as its company, period and path; 0 for none (reported
// empty).
struct TranscriptControls {
  int company = 0, period = 0, path = 0;
};

struct DialogTemplate {
  int resource_id;
  const char* caption;  // CP932
  const char* font;     // CP932
  int point_size;
  int cx, cy;                       // dialog units
  const ControlTemplate* controls;  // in tab order
  int control_count;
  TranscriptControls transcript = {};
};

class CDialog;

// ---- Windows -------------------------------------------------------------------
// A control of a dialog (or, for the dialog itself, its window).
class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;

  HWND GetSafeHwnd() const;
  int GetDlgCtrlID() const;
  void SetWindowText(const char* text);
  int GetWindowText(char* buffer, int size) const;  // returns bytes copied
  std::string GetWindowTextString() const;
  BOOL EnableWindow(BOOL enable);
  BOOL IsWindowEnabled() const;
  CWnd* SetFocus();  // returns the previous focus
  // Edit controls.
  void LimitText(int bytes);
  void SetSel(int start, int end);  // (0, -1) selects all
  void GetSel(int* start, int* end) const;
  void ScrollCaret();  // bring the caret into view

  // Internal: binds the object to a control of a dialog.
  void Bind(CDialog* dialog, int index);
  bool IsBound() const { return dialog_ != nullptr; }

 protected:
  CDialog* dialog_ = nullptr;
  int index_ = -1;  // control index in the template; -1 for the dialog itself
};

// Data exchange, as in MFC: UpdateData(FALSE) puts members into controls,
// UpdateData(TRUE) takes control texts into members.
class CDataExchange {
 public:
  CDataExchange(CDialog* dialog, BOOL save) : dialog_(dialog), save_(save) {}
  CDialog* dialog() const { return dialog_; }
  BOOL m_bSaveAndValidate() const { return save_; }

 private:
  CDialog* dialog_;
  BOOL save_;
};
// Binds a text buffer of size bytes (including the terminator) to control id.
void DDX_Text(CDataExchange* dx, int id, char* buffer, int size);
// Binds a control member to control id.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

// ---- Dialogs -------------------------------------------------------------------
class CDialog : public CWnd {
 public:
  CDialog(const DialogTemplate& tmpl, CWnd* parent);
  ~CDialog() override;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog modally through the active back end; returns the code
  // given to EndDialog (-1 when the dialog could not be shown).
  virtual intptr_t DoModal();
  void EndDialog(int code);
  bool IsEnded() const;

  // Overridable steps.
  virtual BOOL OnInitDialog();                 // base: UpdateData(FALSE), TRUE
  virtual BOOL PreTranslateMessage(MSG* msg);  // base: FALSE (not handled)
  virtual void DoDataExchange(CDataExchange* dx);
  virtual void OnCancel();  // base: EndDialog(IDCANCEL)
  // Command handlers by control ID (the message map); base: FALSE.
  virtual BOOL OnCommand(int control_id);

  BOOL UpdateData(BOOL save_and_validate = TRUE);
  CWnd* GetDlgItem(int id);
  CWnd* GetFocus();
  // A message box owned by this dialog, through the message-box service.
  int MessageBox(const char* text, const char* caption, UINT style);

  // Used by the back ends: the template, control state, and input routing
  // (PreTranslateMessage first, then default processing).
  const DialogTemplate& Template() const;
  struct ControlState {
    std::string text;
    bool enabled = true;
    int limit = 0;  // 0: no limit
    int sel_start = 0, sel_end = 0;
  };
  ControlState& State(int index);
  int FocusIndex() const;
  void SetFocusIndex(int index);
  void KeyDown(int virtual_key, bool shift, bool ctrl, bool alt);
  void Click(int control_id);  // a click on a button
  void Close();                // the window's close command
  int EndCode() const;
  // Index of control id in the template, -1 when there is none.
  int IndexOf(int control_id) const;
  // Sets the text of control index as the window text is set: whole (the
  // edit limit only bounds what the user types), with the caret at its end.
  void InputText(int index, const std::string& text);
  // True when control index can take the focus (an enabled edit or button).
  bool CanFocus(int index) const;
  // Characters typed by the user (CP932): in a focused enabled edit they
  // replace the selection at the caret, as far as the edit limit allows
  // without splitting a double-byte character; elsewhere they do nothing.
  // Editing keys (Left, Right, Home, End with or without Shift, Backspace,
  // Delete) arrive through KeyDown; the caret is sel_end, the anchor
  // sel_start.
  void TypeChars(const std::string& text);

 private:
  void MoveFocus(bool back, bool tab_stops_only);
  void Mnemonic(int virtual_key);

  struct Impl;
  Impl* impl_;
};

// ---- Services ------------------------------------------------------------------
// The file-save dialog.
#define OFN_HIDEREADONLY 0x00000004u
#define OFN_NOCHANGEDIR 0x00000008u
#define OFN_PATHMUSTEXIST 0x00000800u
#define OFN_FILEMUSTEXIST 0x00001000u

struct FileDialogRequest {
  std::string title;   // CP932
  std::string folder;  // initial folder
  std::string file;    // initial file name
  std::string ext;     // default extension
  std::string filter;  // "CSV Files (*.csv)|*.csv||"
  UINT flags;
};
// Shows the file-save dialog owned by owner; true with the chosen full path
// (CP932, Windows form) when the user confirmed.
bool ShowFileSaveDialog(CDialog* owner, const FileDialogRequest& request, std::string* path);

// The application object: the framework calls InitInstance, then
// ExitInstance, whose result is the process's exit status.
class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  virtual BOOL InitInstance();
  virtual int ExitInstance();  // base: the exit status set so far (0)
  void SetExitStatus(int status);
  int GetExitStatus() const;
  // The wait cursor while the export runs.
  void BeginWaitCursor();
  void RestoreWaitCursor();
  void EndWaitCursor();
};
CWinApp* AfxGetApp();
// Entry point of a program: picks the back end, runs the application object
// and returns the exit status.
int RunApplication(CWinApp& app);

}  // namespace ui
