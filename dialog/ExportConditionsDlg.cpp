#include "dialog/ExportConditionsDlg.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "component/component.h"
#include "dialog/EnvFile.h"
#include "dialog/PathChecks.h"
#include "export/output_paths.h"
#include "platform/cp932.h"
#include "platform/sibling_path.h"
#include "platform/win.h"

namespace {

const char* const kCaption = "減価償却";
const char* const kInvalidCharacters =
    "データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。";
const char* const kPathTooLong = "出力先のパスが長すぎます。\n\n出力先を再入力してください。";

const ui::ControlTemplate kControls[] = {
    {IDC_LABEL_COMPANY, ui::ControlKind::Static, "事業所名", 7, 7, 35, 12, SS_CENTERIMAGE, 0},
    {IDC_STATIC, ui::ControlKind::Static, "：", 46, 7, 8, 12, SS_RIGHT | SS_CENTERIMAGE, 0},
    {IDC_COMPANY, ui::ControlKind::Static, "", 59, 7, 189, 12, SS_CENTERIMAGE, 0},
    {IDC_LABEL_PERIOD, ui::ControlKind::Static, "会計期間", 7, 26, 35, 12, SS_CENTERIMAGE, 0},
    {IDC_STATIC, ui::ControlKind::Static, "：", 46, 26, 8, 12, SS_RIGHT | SS_CENTERIMAGE, 0},
    {IDC_PERIOD, ui::ControlKind::Static, "", 59, 25, 189, 12, SS_CENTERIMAGE, 0},
    {IDC_OUTPUT_GROUP, ui::ControlKind::GroupBox, "出力先(&O)", 7, 47, 241, 35, 0, 0},
    {IDC_OUTPUT_PATH, ui::ControlKind::Edit, "", 10, 62, 170, 12, WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP,
     WS_EX_CLIENTEDGE | WS_EX_STATICEDGE},
    {IDC_BROWSE, ui::ControlKind::PushButton, "参照(&D)...", 186, 61, 57, 14, WS_TABSTOP, 0},
    {IDC_EXECUTE, ui::ControlKind::PushButton, "実行(F12)", 129, 86, 57, 14, WS_TABSTOP, 0},
    {IDC_CANCEL, ui::ControlKind::PushButton, "キャンセル(Esc)", 191, 86, 57, 14, WS_TABSTOP, 0},
};

const ui::DialogTemplate kTemplate = {
    IDD_EXPORT_CONDITIONS,
    "減価償却 - 集計条件",
    "ＭＳ Ｐゴシック",
    9,
    255,
    107,
    kControls,
    static_cast<int>(sizeof kControls / sizeof kControls[0]),
    {IDC_COMPANY, IDC_PERIOD, IDC_OUTPUT_PATH},
};

// The component's folder of the given type; empty when it has none.
std::string AppFolder(long type) {
  const char* folder = ClFileMgr::Inst()->GetAppFolderPath(type);
  return folder != nullptr ? folder : "";
}

bool KeyHeld(int virtual_key) { return ui::GetKeyState(virtual_key) < 0; }

}  // namespace

const ui::DialogTemplate& ExportConditionsTemplate() { return kTemplate; }

CExportConditionsDlg::CExportConditionsDlg(const char* error_log_name, const char* env_file_name,
                                           ui::CWnd* parent)
    : ui::CDialog(kTemplate, parent), m_pszErrorLogName(error_log_name), m_pszEnvFileName(env_file_name) {}

CExportConditionsDlg::~CExportConditionsDlg() { ClFileMgr::Inst()->Release(); }

void CExportConditionsDlg::DoDataExchange(ui::CDataExchange* dx) {
  ui::CDialog::DoDataExchange(dx);
  ui::DDX_Control(dx, IDC_OUTPUT_GROUP, m_ctlGroup);
  ui::DDX_Control(dx, IDC_CANCEL, m_ctlCancel);
  ui::DDX_Control(dx, IDC_EXECUTE, m_ctlExecute);
  ui::DDX_Control(dx, IDC_BROWSE, m_ctlBrowse);
  ui::DDX_Control(dx, IDC_OUTPUT_PATH, m_ctlPath);
  ui::DDX_Text(dx, IDC_COMPANY, m_szCompany, sizeof m_szCompany);
  ui::DDX_Text(dx, IDC_PERIOD, m_szPeriod, sizeof m_szPeriod);
  ui::DDX_Text(dx, IDC_OUTPUT_PATH, m_szOutputPath, sizeof m_szOutputPath);
}

BOOL CExportConditionsDlg::OnInitDialog() {
  ui::CDialog::OnInitDialog();
  if (m_nPastResults == 1) {
    MessageBox("過去実績データは、連携の対象として使用できません。\n\nアプリケーションを終了します。",
               kCaption, MB_OK | MB_ICONEXCLAMATION);
    EndDialog(IDC_CANCEL);
  }
  m_ctlPath.LimitText(255);

  char path[kPathBufferSize] = {};
  if (!LoadRememberedPath(path)) {
    std::string folder = AppFolder(0);
    if (folder.empty()) {
      char temp[kPathBufferSize] = {};
      win::GetTempPathA(sizeof temp, temp);
      temp[kPathBufferSize - 1] = '\0';
      outpath::AddBackslash(temp, sizeof temp);
      folder = temp;
    }
    cp932::CopyCut(path, sizeof path, folder + "*.csv");
  }
  std::memcpy(m_szOutputPath, path, sizeof m_szOutputPath);
  m_ctlPath.SetWindowText(m_szOutputPath);
  return TRUE;
}

BOOL CExportConditionsDlg::OnCommand(int control_id) {
  switch (control_id) {
    case IDC_BROWSE: OnBrowse(); return TRUE;
    case IDC_EXECUTE: OnExecute(); return TRUE;
    case IDC_CANCEL: OnCancel(); return TRUE;
    default: return ui::CDialog::OnCommand(control_id);
  }
}

BOOL CExportConditionsDlg::PreTranslateMessage(ui::MSG* msg) {
  if (msg->message == WM_KEYDOWN && !KeyHeld(VK_SHIFT) && !KeyHeld(VK_CONTROL) && !KeyHeld(VK_MENU)) {
    ui::CWnd* focus = GetFocus();
    int focused = focus != nullptr ? focus->GetDlgCtrlID() : 0;
    if (msg->wParam == VK_F12) {
      OnExecute();
      return TRUE;
    }
    if (msg->wParam == VK_RETURN && focused == IDC_OUTPUT_PATH) {
      if (m_ctlBrowse.IsWindowEnabled()) {
        m_ctlBrowse.SetFocus();
      } else {
        m_ctlExecute.SetFocus();
      }
      return TRUE;
    }
    // Enter on the browse or execute button runs its command here; on the
    // cancel button the default processing presses it.
    if (msg->wParam == VK_RETURN && (focused == IDC_BROWSE || focused == IDC_EXECUTE))
      return OnCommand(focused);
  }
  return ui::CDialog::PreTranslateMessage(msg);
}

void CExportConditionsDlg::OnCancel() {
  MessageBox("｢減価償却｣の集計を中止します。", kCaption, MB_OK | MB_ICONINFORMATION);
  EndDialog(IDC_CANCEL);
}

std::string CExportConditionsDlg::TakePathFromEdit() {
  m_ctlPath.GetWindowText(m_szOutputPath, sizeof m_szOutputPath);
  return m_ctlPath.GetWindowTextString();
}

void CExportConditionsDlg::OnBrowse() {
  std::string whole = TakePathFromEdit();
  std::string_view text(whole);
  size_t split = cp932::FindLast(text, '\\');
  if (split == std::string_view::npos) split = cp932::FindLast(text, ':');
  size_t folder_len = split == std::string_view::npos ? 0 : split + 1;

  ui::FileDialogRequest request;
  request.title = "保存ファイルを指定";
  request.folder = std::string(text.substr(0, folder_len));
  request.file = std::string(text.substr(folder_len));
  request.ext = "CSV";
  request.filter = "CSV Files (*.csv)|*.csv||";
  request.flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  std::string chosen;
  if (ui::ShowFileSaveDialog(this, request, &chosen)) {
    // Shown whole, never cut into another path: the export command refuses
    // a path that is too long.
    m_ctlPath.SetWindowText(chosen.c_str());
    TakePathFromEdit();
  }
  m_ctlExecute.SetFocus();
}

void CExportConditionsDlg::Refuse(const char* message) {
  if (message != nullptr) MessageBox(message, kCaption, MB_OK | MB_ICONEXCLAMATION);
  m_ctlPath.SetFocus();
  m_ctlPath.SetSel(0, -1);
  m_ctlPath.ScrollCaret();
}

bool CExportConditionsDlg::Ask(const char* question) {
  return MessageBox(question, kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

const char* CExportConditionsDlg::SiblingRefusal(const OutputPaths& files) {
  // The error log and the asset type file are written beside the output
  // file; a path from which they cannot be derived soundly is not accepted.
  switch (files.Derivation()) {
    case pathname::SiblingResult::kOk: return nullptr;
    case pathname::SiblingResult::kNoFolder: return "出力先のフォルダを指定してください。";
    case pathname::SiblingResult::kTooLong: return kPathTooLong;
    case pathname::SiblingResult::kSameAsFile:
      return "指定されたファイル名は使用できません。\n\n別のファイル名を指定してください。";
  }
  return nullptr;
}

std::string CExportConditionsDlg::OutputOverUsedFile(const OutputPaths& files) const {
  char program[kPathBufferSize] = {};
  DWORD length = win::GetModuleFileNameA(nullptr, program, sizeof program);
  if (length >= sizeof program) program[0] = '\0';  // cut, it would name another file
  std::string env;
  if (!EnvFilePath(AppFolder(1).c_str(), &env)) env.clear();
  for (OutputKind kind : {kAssetDataFile, kErrorLogFile, kTypeFile}) {
    const char* output = files.Path(kind);
    if (output[0] == '\0') continue;
    if (ClFileMgr::Inst()->IsPackageFile(output)) return output;
    for (const char* file : {static_cast<const char*>(program), env.c_str()}) {
      if (file[0] != '\0' && win::PathIsSameFileA(output, file)) return output;
    }
  }
  return "";
}

void CExportConditionsDlg::OnExecute() {
  std::string whole = TakePathFromEdit();
  const char* path = m_szOutputPath;
  if (whole.empty()) return Refuse("データ出力先が指定されていません。\n\n出力先を指定してください。");
  // Cut to the path buffers, or at a NUL byte, the text would name another
  // file.
  if (whole.size() >= kPathBufferSize) return Refuse(kPathTooLong);
  if (whole.find('\0') != std::string::npos || !outpath::HasValidCharacters(path)) {
    // A path of the host typed as it stands ("/tmp/x.csv"): the box keeps
    // its own text, and where the drive map puts the file goes to standard
    // error beside it.
    std::string hint = win::HostPathHint(path);
    if (!hint.empty()) std::fprintf(stderr, "%s\n", hint.c_str());
    return Refuse(kInvalidCharacters);
  }
  if (!outpath::IsValidDrive(path)) {
    return Refuse("ドライブ名が有効でありません。\n\n有効なドライブを指定してください。");
  }
  if (*outpath::FilePart(path) == '\0') return Refuse("ファイル名が指定されていません。");
  m_outputFiles = OutputPaths(path, m_pszErrorLogName);
  if (const char* refusal = SiblingRefusal(m_outputFiles)) return Refuse(refusal);

  std::string folder(path, outpath::FolderPartLength(path));
  if (!folder.empty() && win::_access(folder.c_str(), 0) != 0) {
    if (!Ask("指定されたフォルダは存在しません。\n\n作成してもよろしいですか？")) return Refuse(nullptr);
    if (!outpath::CreateFolderTree(folder.c_str())) {
      return Refuse("フォルダの作成に失敗しました。\n\n出力先を再入力してください。");
    }
  }

  // Checked once the folder exists, so that a file not made yet (an
  // environment file before its first save) is recognised too.
  std::string used = OutputOverUsedFile(m_outputFiles);
  if (!used.empty()) {
    char text[1024];
    std::snprintf(text, sizeof text,
                  "次のファイルは会計データまたはプログラムが使用しているため、出力先にできません。\n\n%s\n\n"
                  "出力先を再入力してください。",
                  used.c_str());
    return Refuse(text);
  }

  // A FIFO or a device (also one a link leads to) would be written to, not
  // replaced: the files of an export can go only where a regular file is,
  // or nothing yet.
  for (OutputKind kind : {kAssetDataFile, kTypeFile, kErrorLogFile}) {
    struct win::_stat status;
    const char* file = m_outputFiles.Path(kind);
    if (file[0] == '\0' || win::_stat(file, &status) != 0 || (status.st_mode & (_S_IFDIR | _S_IFREG)) != 0)
      continue;
    char text[1024];
    std::snprintf(text, sizeof text,
                  "次のファイルは通常のファイルではないため、出力先にできません。\n\n%s\n\n"
                  "出力先を再入力してください。",
                  file);
    return Refuse(text);
  }

  struct win::_stat status;
  if (win::_stat(path, &status) == 0) {
    if (status.st_mode & _S_IFDIR) return Refuse("ファイル名が指定されていません。");
    if (!Ask("同名のファイルが存在します。\n\n上書きしてもよろしいですか？")) return Refuse(nullptr);
  }
  EndDialog(IDC_EXECUTE);
}

bool CExportConditionsDlg::EnvFilePath(const char* folder, std::string* path) const {
  *path = std::string(folder) + m_pszEnvFileName;
  return path->size() < kPathBufferSize;
}

std::string CExportConditionsDlg::EnvKey() const {
  return envfile::MakeKey(cp932::FieldText(m_szUserID, sizeof m_szUserID), m_lFirstNo, m_lSecondNo);
}

int CExportConditionsDlg::LoadRememberedPath(char* buffer) {
  buffer[0] = '\0';
  std::string file;
  if (!EnvFilePath(AppFolder(1).c_str(), &file)) return 0;
  return envfile::LoadEntry(file, EnvKey(), buffer, kPathBufferSize);
}

int CExportConditionsDlg::SaveRememberedPath(const char* path) {
  std::string folder = AppFolder(1);
  if (folder.empty() || folder.size() >= kPathBufferSize) return 0;
  if (!outpath::FolderExists(folder.c_str()) && !outpath::CreateFolderTree(folder.c_str())) return 0;
  // A folder that cannot be written to (a CD-ROM) keeps nothing, nor does
  // an environment file that cannot be read and written.
  if (win::_access(folder.c_str(), 2) != 0) return 0;
  std::string file;
  if (!EnvFilePath(folder.c_str(), &file)) return 0;
  if (win::_access(file.c_str(), 0) == 0 && win::_access(file.c_str(), 6) != 0) return 0;
  return envfile::SaveEntry(file, EnvKey(), cp932::FieldText(path, kPathBufferSize - 1));
}
