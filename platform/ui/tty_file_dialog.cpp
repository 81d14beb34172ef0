// The file-save dialog in the terminal: a path prompt that starts from the
// folder and name it is given, a listing of the folder (sub-folders, then
// the files that the filter lets through) that can be walked, and the
// checks that the request's options ask for. The prompt is a dialog of the
// framework, so that its edit and buttons take the keys as every dialog's do.
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "platform/cp932.h"
#include "platform/ui/tty_widgets.h"
#include "platform/win.h"

namespace ui::tty {
namespace {

constexpr int kNameEdit = 1152;
constexpr size_t kMaxPath = 259;  // bytes, without the terminator

// The prompt's controls; the screen places them itself (below the listing).
const ControlTemplate kPromptControls[] = {
    {IDC_STATIC, ControlKind::Static, "ファイル名(&N):", 0, 0, 0, 0, 0, 0},
    {kNameEdit, ControlKind::Edit, "", 0, 0, 0, 0, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE},
    {IDOK, ControlKind::PushButton, "保存(&S)", 0, 0, 0, 0, WS_TABSTOP, 0},
    {IDCANCEL, ControlKind::PushButton, "キャンセル", 0, 0, 0, 0, WS_TABSTOP, 0},
};
const DialogTemplate kPromptTemplate = {0, "", "", 9, 0, 0, kPromptControls, 4};
constexpr int kLabel = 0, kEdit = 1, kFirstButton = 2;

const char* const kLocationLabel = "保存する場所:";
const char* const kTypeLabel = "ファイルの種類:";
const char* const kHint = "Up/Down: 選択  Enter: 開く/保存  Tab: 移動  Esc: キャンセル";

struct Entry {
  std::string name;  // CP932
  bool folder;
  std::string utf8;  // the host's name
};

// What a folder holds (hidden names and names without a Shift_JIS form
// left out: the program cannot be handed those). False when it cannot be
// read.
bool ReadFolder(const std::string& folder, std::vector<Entry>* entries) {
  std::string host;
  if (!win::ToHostPath(folder.c_str(), &host)) return false;
  DIR* dir = opendir(host.c_str());
  if (!dir) return false;
  while (dirent* d = readdir(dir)) {
    std::string utf8 = d->d_name;
    if (utf8.empty() || utf8[0] == '.') continue;
    bool lossy = false;
    std::string name = cp932::FromUtf8(utf8, &lossy);
    if (lossy) continue;
    struct stat st;
    if (::stat((host + "/" + utf8).c_str(), &st) != 0) continue;
    entries->push_back({name, S_ISDIR(st.st_mode), utf8});
  }
  closedir(dir);
  return true;
}

// The name as the folder holds it when it differs only in the case of its
// letters, as Windows would find it; else the name as given.
std::string NameInFolder(const std::string& folder, const std::string& name) {
  std::vector<Entry> entries;
  ReadFolder(folder, &entries);
  for (const Entry& e : entries)
    if (e.name == name) return name;
  for (const Entry& e : entries)
    if (!e.folder && cp932::EqualNoCase(e.name, name)) return e.name;
  return name;
}

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '\\' || cp932::EndsWithDoubleByte(folder)) folder += '\\';
  return folder;
}

bool HasWildcard(std::string_view text) {
  return cp932::Find(text, '*') != std::string_view::npos || cp932::Find(text, '?') != std::string_view::npos;
}

bool Matches(const std::string& utf8_name, const std::string& patterns) {
  size_t start = 0;
  for (;;) {
    size_t end = patterns.find(';', start);
    std::string one = patterns.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!one.empty() && fnmatch(one.c_str(), utf8_name.c_str(), FNM_CASEFOLD) == 0) return true;
    if (end == std::string::npos) return false;
    start = end + 1;
  }
}

class FilePrompt : public CDialog {
 public:
  FilePrompt(Screen& screen, const FileDialogRequest& request)
      : CDialog(kPromptTemplate, nullptr), screen_(screen), request_(request) {
    // The filter: description|pattern pairs; the first pair is shown.
    std::string_view filter = request.filter;
    size_t bar = cp932::Find(filter, '|');
    description_ = std::string(filter.substr(0, bar));
    if (bar != std::string_view::npos) {
      std::string_view rest = filter.substr(bar + 1);
      pattern_ = std::string(rest.substr(0, cp932::Find(rest, '|')));
    }
    if (pattern_.empty()) pattern_ = "*";
    folder_ = request.folder;
    if (folder_.empty() || !win::PathIsDirectoryA(folder_.c_str())) {
      char current[kPathBufferSize] = {};
      win::GetCurrentDirectoryA(sizeof current, current);
      folder_ = current;
    }
    folder_ = WithSlash(folder_);
    if (HasWildcard(request.file)) pattern_ = request.file;
    SetName(request.file);
    SetFocusIndex(kEdit);
    List();
  }

  bool Run(std::string* path) {
    int painter = screen_.Push([this] { Paint(); });
    while (!IsEnded()) {
      Key key = screen_.Read();
      if (key.kind == Key::kNone) {
        screen_.Remove(painter);
        InputLost();
      }
      if (!DeliverKey(*this, key)) screen_.Beep();
      screen_.Redraw();
    }
    screen_.Remove(painter);
    if (EndCode() != IDOK) return false;
    *path = result_;
    return true;
  }

 protected:
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message != WM_KEYDOWN || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0 ||
        GetKeyState(VK_SHIFT) < 0)
      return FALSE;
    switch (static_cast<int>(msg->wParam)) {
      case VK_RETURN:
        if (FocusIndex() != kEdit) return FALSE;
        Accept();
        return TRUE;
      case VK_UP: Move(-1); return TRUE;
      case VK_DOWN: Move(1); return TRUE;
      case kVkPageUp: Move(-ListRows()); return TRUE;
      case kVkPageDown: Move(ListRows()); return TRUE;
      default: return FALSE;
    }
  }

  BOOL OnCommand(int id) override {
    if (id != IDOK) return FALSE;
    Accept();
    return TRUE;
  }

 private:
  void SetName(const std::string& name) {
    GetDlgItem(kNameEdit)->SetWindowText(name.c_str());
    GetDlgItem(kNameEdit)->SetSel(0, -1);
  }
  void SelectName() {
    SetFocusIndex(kEdit);
    GetDlgItem(kNameEdit)->SetSel(0, -1);
  }

  bool AtRoot() const {
    char* rest = win::PathSkipRootA(folder_.c_str());
    return rest && *rest == '\0';
  }

  void List() {
    entries_.clear();
    current_ = top_ = 0;
    readable_ = false;
    if (!AtRoot()) entries_.push_back({"..", true, ".."});
    std::vector<Entry> all, folders, files;
    readable_ = ReadFolder(folder_, &all);
    std::string pattern = cp932::ToUtf8(pattern_);
    for (Entry& e : all) {
      if (e.folder)
        folders.push_back(std::move(e));
      else if (Matches(e.utf8, pattern))
        files.push_back(std::move(e));
    }
    auto by_name = [](const Entry& a, const Entry& b) { return cp932::CompareNoCase(a.name, b.name) < 0; };
    std::sort(folders.begin(), folders.end(), by_name);
    std::sort(files.begin(), files.end(), by_name);
    entries_.insert(entries_.end(), folders.begin(), folders.end());
    entries_.insert(entries_.end(), files.begin(), files.end());
  }

  // The highlighted entry moves; its name goes into the prompt, so that
  // Enter acts on it.
  void Move(int by) {
    if (entries_.empty()) return;
    current_ = std::clamp(current_ + by, 0, static_cast<int>(entries_.size()) - 1);
    SetName(entries_[static_cast<size_t>(current_)].name);
  }

  void GoUp() {
    if (AtRoot()) return;
    std::string trimmed = folder_.substr(0, folder_.size() - 1);
    size_t slash = cp932::FindLast(trimmed, '\\');
    if (slash == std::string::npos) return;
    folder_ = trimmed.substr(0, slash + 1);
    SetName("");
    List();
  }

  std::string Resolve(const std::string& text) const {
    bool drive = text.size() >= 2 && text[1] == ':' &&
                 ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
    if (drive || text.rfind("\\\\", 0) == 0) return text;
    if (text[0] == '\\') return folder_.substr(0, 2) + text;
    return folder_ + text;
  }

  void Warn(const std::string& text) {
    RunMessageBox(screen_, text, request_.title, MB_OK | MB_ICONEXCLAMATION);
    SelectName();
  }

  void Accept() {
    std::string text = State(kEdit).text;
    if (text.empty()) return;
    if (text == "..") return GoUp();
    if (HasWildcard(text)) {
      pattern_ = text;
      List();
      SelectName();
      return;
    }
    std::string full = Resolve(text);
    if (win::PathIsDirectoryA(full.c_str())) {
      folder_ = WithSlash(full);
      SetName("");
      List();
      return;
    }
    size_t slash = cp932::FindLast(full, '\\');
    std::string dir = slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
    std::string name = full.substr(dir.size());
    if (name.empty()) {
      Warn(full + "\nパスが存在しません。\nパス名を確認してください。");
      return;
    }
    if (!request_.ext.empty() && cp932::FindLast(name, '.') == std::string::npos) name += "." + request_.ext;
    name = NameInFolder(dir, name);
    full = dir + name;
    // A path that does not fit the program's path buffers is refused here
    // rather than cut short on the way back.
    if (full.size() > kMaxPath) {
      Warn(name + "\nファイル名が長すぎます。");
      return;
    }
    if ((request_.flags & OFN_PATHMUSTEXIST) && !dir.empty() && !win::PathIsDirectoryA(dir.c_str())) {
      Warn(full + "\nパスが存在しません。\nパス名を確認してください。");
      return;
    }
    if ((request_.flags & OFN_FILEMUSTEXIST) &&
        (!win::PathFileExistsA(full.c_str()) || win::PathIsDirectoryA(full.c_str()))) {
      Warn(name + "\nファイルが見つかりません。\nファイル名を確認してください。");
      return;
    }
    result_ = full;
    EndDialog(IDOK);
  }

  // ---- Drawing ----
  int Cols() const { return std::min(screen_.Cols(), 78); }
  int Rows() const { return std::min(screen_.Rows(), 22); }
  int ListRows() const { return std::max(1, Rows() - 7); }

  void Paint() {
    int rows = Rows(), cols = Cols();
    int top = std::max(0, (screen_.Rows() - rows) / 2), left = std::max(0, (screen_.Cols() - cols) / 2);
    screen_.Frame(top, left, rows, cols, Look::kWindow);
    screen_.Put(top, left + 2, " " + Utf8(request_.title) + " ", cols - 4, Look::kCaption);
    int inner = cols - 4, x = left + 2;

    // Where: the folder, its end kept in view when it is long.
    int used = screen_.Put(top + 1, x, Utf8(kLocationLabel), inner, Look::kWindow) + 1;
    std::vector<Glyph> where = GlyphsOfCp932(folder_);
    size_t from = 0;
    int cells = 0;
    for (const Glyph& g : where) cells += g.cells;
    while (from < where.size() && cells > inner - used) cells -= where[from++].cells;
    screen_.PutGlyphs(top + 1, x + used, where, from, inner - used, Look::kWindow);

    // The listing.
    int list_rows = ListRows();
    if (current_ < top_) top_ = current_;
    if (current_ >= top_ + list_rows) top_ = current_ - list_rows + 1;
    screen_.Fill(top + 2, x, list_rows, inner, Look::kField);
    if (!readable_) screen_.Put(top + 2, x, "(" + Utf8(folder_) + ": cannot be read)", inner, Look::kField);
    for (int r = 0; r < list_rows && top_ + r < static_cast<int>(entries_.size()); ++r) {
      const Entry& e = entries_[static_cast<size_t>(top_ + r)];
      bool here = top_ + r == current_;
      Look look = here ? Look::kSelection : Look::kField;
      if (here) screen_.Fill(top + 2 + r, x, 1, inner, look);
      std::string shown = Utf8(e.name) + (e.folder && e.name != ".." ? "\\" : "");
      screen_.Put(top + 2 + r, x + 1, (e.folder ? "[" : " ") + shown + (e.folder ? "]" : ""), inner - 1,
                  look);
    }

    // Name, type, hint, buttons.
    int row = top + rows - 5;
    int label = screen_.PutLabel(row, x, Utf8(State(kLabel).text), inner, Look::kWindow) + 1;
    int label2 = CellsOf(Utf8(kTypeLabel)) + 1;
    int field_col = x + std::max(label, label2);
    DrawEdit(screen_, row, field_col, x + inner - field_col, State(kEdit), FocusIndex() == kEdit, &scroll_);
    screen_.Put(row + 1, x, Utf8(kTypeLabel), inner, Look::kWindow);
    screen_.Put(row + 1, field_col, Utf8(description_), x + inner - field_col, Look::kWindow);
    screen_.Put(row + 2, x, Utf8(kHint), inner, Look::kWindow);
    const int button_cols = 14;
    int bx = x + inner - 2 * button_cols - 2;
    for (int i = kFirstButton; i < kFirstButton + 2; ++i) {
      DrawButton(screen_, row + 3, bx, button_cols, State(i).text, FocusIndex() == i, true);
      bx += button_cols + 2;
    }
    // The cursor goes where the focus is (the edit or a button set it).
  }

  Screen& screen_;
  const FileDialogRequest& request_;
  std::string folder_, pattern_, description_, result_;
  std::vector<Entry> entries_;
  bool readable_ = false;
  int current_ = 0, top_ = 0, scroll_ = 0;
};

}  // namespace

bool RunFileSave(Screen& screen, const FileDialogRequest& request, std::string* path) {
  FilePrompt prompt(screen, request);
  return prompt.Run(path);
}

}  // namespace ui::tty
