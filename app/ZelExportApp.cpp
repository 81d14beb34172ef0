// Run control: the start-up steps in order, the data-set record, the
// dialog's texts, the export and the end report.
#include "app/ZelExportApp.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "app/build_constants.h"
#include "dialog/ExportConditionsDlg.h"
#include "export/asset_exporter.h"
#include "platform/cp932.h"
#include "platform/message_box.h"
#include "platform/ui/backend.h"
#include "platform/win.h"

namespace {

const char* const kAppTitle = "減価償却";

// Size of a file, 0 when its status cannot be read (as when it is missing).
int64_t FileSize(const char* path) {
  struct win::_stat status = {};
  return win::_stat(path, &status) == 0 ? status.st_size : 0;
}

void ShowEndMessage(const char* text, UINT icon) {
  ui::MessageBoxes().Show(nullptr, text, kAppTitle, MB_OK | icon);
}

// Opens the file with the program that the system associates with its type
// and waits until that program has ended, as for WordPad; false when
// nothing could be started.
bool OpenWithAssociation(const char* path) {
  win::SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = "open";
  info.lpFile = path;
  info.nShow = SW_SHOWNORMAL;
  if (!win::ShellExecuteExA(&info)) return false;
  ui::PumpPendingInput();
  if (info.hProcess) {
    win::WaitForSingleObject(info.hProcess, INFINITE);
    win::CloseHandle(info.hProcess);
  }
  ui::DiscardPendingInput();
  return true;
}

}  // namespace

// ---- Start-up and exit --------------------------------------------------------------------
BOOL CZelExportApp::InitInstance() {
  ClZelConnect* connect = ClZelConnect::Inst();
  connect->SetAppTitle(kAppTitle);
  connect->SetAppType(build::kAppType);
  connect->SetUseDataType(3);
  // A refused connection ends the run; the component has said why.
  if (connect->Initiate() != 0) return FALSE;
  EnterProgramFolder();
  if (!CheckProgramLevel(1)) return FALSE;
  if (connect->ExpSysLink() != 0) return FALSE;

  CExportConditionsDlg dialog(build::kErrorLogName, build::kEnvFileName);
  StDATAINFO record;
  std::memset(&record, 0, sizeof record);
  LoadDataInfo(&record);

  ClSysUser* user = ClDataMgr::Inst()->GetSysUserObject();
  if (user) {
    user->GetCurUserID(dialog.m_szUserID);
    dialog.m_szUserID[sizeof dialog.m_szUserID - 1] = '\0';
    user->GetSelectedNo(dialog.m_szUserID, &dialog.m_lFirstNo, &dialog.m_lSecondNo);
  }
  dialog.m_nPastResults = record.sDataKind == kDataKindPastResults ? 1 : 0;
  cp932::CopyCut(dialog.m_szCompany, sizeof dialog.m_szCompany, GetInfoText(0, &record));
  cp932::CopyCut(dialog.m_szPeriod, sizeof dialog.m_szPeriod, GetInfoText(1, &record));

  // Only the export command goes on; quit, the past-results refusal and a
  // dialog that could not be shown all end the run here.
  if (dialog.DoModal() != kExportCode) return FALSE;
  if (!SameDataSetSelected(record)) return FALSE;

  // The files as the dialog derived and checked them.
  const OutputPaths& files = dialog.m_outputFiles;
  BeginWaitCursor();
  {
    AssetExporter exporter(build::kErrorLogName);
    // The rows come from the data set that the dialog showed, whatever is
    // selected by now.
    exporter.PinDataID(cp932::FieldText(record.szDataID, sizeof record.szDataID));
    exporter.SetOutputPaths(files);
    exporter.SetProgressSink(ui::ShowProgress);
    exporter.SetOutputLockWait(kOutputLockWaitMs, ui::ShowWorkingNote);
    exporter.OpenAssetFile(&record);
    exporter.ExportAssets();
    exporter.ExportAssetTypes(&record);
    RestoreWaitCursor();
    dialog.SaveRememberedPath(files.Path(kAssetDataFile));
    ReportEnd(files, exporter);
  }
  EndWaitCursor();
  return TRUE;
}

int CZelExportApp::ExitInstance() {
  ClZelConnect* connect = ClZelConnect::Inst();
  connect->LogOut();
  connect->Terminate();
  connect->Release();
  return ui::CWinApp::ExitInstance();
}

void CZelExportApp::EnterProgramFolder() {
  char path[kPathBufferSize] = {};
  win::GetModuleFileNameA(nullptr, path, sizeof path);
  path[kPathBufferSize - 1] = '\0';
  size_t slash = cp932::FindLast(path, '\\');
  if (slash == std::string_view::npos) return;
  path[slash + 1] = '\0';
  win::SetCurrentDirectoryA(path);
}

// ---- Data set shown and data set exported ------------------------------------------------------
bool CZelExportApp::SameDataSetSelected(const StDATAINFO& shown) {
  // While the dialog was open, another program may have moved the user's
  // selection, or changed the data set itself (its company, its period, its
  // kind). The header would then describe one data set and the rows another.
  StDATAINFO now;
  std::memset(&now, 0, sizeof now);
  LoadDataInfo(&now);
  if (std::memcmp(&now, &shown, sizeof now) == 0) return true;
  char text[1024];
  std::snprintf(text, sizeof text,
                "ダイアログを開いている間に、選択されているデータが変更されました。\n\n"
                "表示していたデータ ⇒ %.*s（%.*s）\n\n"
                "何も出力していません。もう一度実行してください。\n\nアプリケーションを終了します。",
                static_cast<int>(cp932::FieldLength(shown.szDataID, sizeof shown.szDataID)), shown.szDataID,
                static_cast<int>(cp932::FieldLength(shown.szCompanyName, sizeof shown.szCompanyName)),
                shown.szCompanyName);
  ShowEndMessage(text, MB_ICONSTOP);
  return false;
}

// ---- End report -------------------------------------------------------------------------------
void CZelExportApp::ReportEnd(const OutputPaths& files, const AssetExporter& exporter) {
  if (!exporter.Succeeded()) {
    // Data that could not be read, or a file that was not fully written, is
    // never reported as a success; every file that failed is named.
    std::string text = "減価償却情報の出力に失敗しました。\n\n";
    if (exporter.OutputBusy()) {
      text +=
          "出力先のフォルダには他の出力が書き込み中です。しばらくしてからやり直してください。\n"
          "出力先のファイルは変更されていません。\n";
    } else if (exporter.ReadFailed()) {
      text += "会計データを読み込めませんでした。\n出力先のファイルは変更されていません。\n";
    } else {
      for (int16_t kind = 0; kind < kOutputKinds; ++kind) {
        if ((exporter.FailedOutputs() & (1u << kind)) == 0) continue;
        text += std::string("書き込めなかったファイル ⇒ ") + files.Shown(kind) + "\n";
      }
      // A file that did take its new content is named too: the set is not
      // what it was.
      for (int16_t kind = 0; kind < kOutputKinds; ++kind) {
        if ((exporter.ChangedOutputs() & (1u << kind)) == 0) continue;
        text += std::string("変更されたファイル ⇒ ") + files.Shown(kind) + "\n";
      }
    }
    text += "\nアプリケーションを終了します。";
    ShowEndMessage(text.c_str(), MB_ICONSTOP);
    SetExitStatus(kExportFailedStatus);
    return;
  }
  SetExitStatus(0);

  const char* log_path = files.Path(kErrorLogFile);
  if (log_path[0] && FileSize(log_path) > 0) {
    char windows[kPathBufferSize] = {};
    win::GetWindowsDirectoryA(windows, sizeof windows);
    win::OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    bool nt = win::GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    char folder[kPathBufferSize] = {};
    std::snprintf(folder, sizeof folder, "%.1s%s", windows,
                  nt ? ":\\Program Files\\Windows NT\\Accessories" : ":\\Program Files\\Accessories");
    char command[1024] = {};
    std::snprintf(command, sizeof command, "%s\\Wordpad.exe \"%s\"", folder, log_path);
    std::string text = "減価償却情報の出力が一応終了しました。\n\nアプリケーションを終了します。";
    // Today's Windows has no WordPad: the log then opens with the program
    // that Windows associates with text files; when nothing opens it, the
    // box says where it is, so that no remark goes unseen.
    if (!ExecProcess(command, folder, true) && !OpenWithAssociation(log_path))
      text += std::string("\n\nエラーログ ⇒ ") + log_path;
    ShowEndMessage(text.c_str(), MB_ICONINFORMATION);
    return;
  }

  if (log_path[0]) win::DeleteFileA(log_path);
  char text[1024];
  std::snprintf(
      text, sizeof text,
      "減価償却情報の出力が正常に終了しました。\n\n償却資産データ ⇒ %s    \n資産種類データ ⇒ %s    \n\n"
      "アプリケーションを終了します。",
      files.Path(kAssetDataFile), files.Path(kTypeFile));
  ShowEndMessage(text, MB_ICONINFORMATION);
}

// ---- Data set -----------------------------------------------------------------------------------
int CZelExportApp::LoadDataInfo(StDATAINFO* record) {
  if (!record) return 0;
  if (!set_data_) set_data_ = ClDataMgr::Inst()->GetSetObject(5, 1);
  std::memset(record, 0, sizeof *record);

  char user_id[65] = {};
  int32_t first = 0, second = 0;
  ClSysUser* user = ClDataMgr::Inst()->GetSysUserObject();
  if (user) {
    user->GetCurUserID(user_id);
    user_id[sizeof user_id - 1] = '\0';
    user->GetSelectedNo(user_id, &first, &second);
  }
  if (!set_data_) return 1;

  long cursor = 0;
  set_data_->GetDatCursor(&cursor);
  set_data_->ReadyDat(cursor, 0);
  for (;;) {
    StDATAINFO local;
    std::memset(&local, 0, sizeof local);
    if (set_data_->WalkDat(&local, cursor) != 0) break;
    if (local.lDataNo == second) {
      std::memcpy(record, &local, sizeof local);
      break;
    }
  }
  set_data_->ReleaseDatCursor(cursor);
  return 1;
}

const char* CZelExportApp::GetInfoText(int16_t kind, const StDATAINFO* record) {
  static char text[256];
  std::memset(text, 0, sizeof text);
  if (!record) return text;
  if (kind == 0) {
    // A blank, then as much of the company name as fits whole characters.
    text[0] = ' ';
    cp932::CopyCut(text + 1, sizeof text - 1,
                   cp932::FieldText(record->szCompanyName, sizeof record->szCompanyName));
  } else if (kind == 1) {
    int32_t s = record->lPeriodStart, e = record->lPeriodEnd;
    std::snprintf(text, sizeof text, " %04d/%02d/%02d～%04d/%02d/%02d", s / 10000, (s % 10000) / 100, s % 100,
                  e / 10000, (e % 10000) / 100, e % 100);
  }
  return text;
}

// ---- Processes ---------------------------------------------------------------------------------
int CZelExportApp::ExecProcess(char* command_line, const char* folder, bool wait) {
  win::STARTUPINFOA startup = {};
  startup.cb = 68;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  win::PROCESS_INFORMATION process = {};
  if (!win::CreateProcessA(nullptr, command_line, nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                           folder, &startup, &process))
    return 0;
  ui::PumpPendingInput();
  win::CloseHandle(process.hThread);
  if (wait) win::WaitForSingleObject(process.hProcess, INFINITE);
  win::CloseHandle(process.hProcess);
  // Input given while the viewer was open has no effect on the program.
  if (wait) ui::DiscardPendingInput();
  return 1;
}

// ---- Compatibility check ------------------------------------------------------------------------
int CZelExportApp::CheckProgramLevel(int show) {
  static const struct {
    int code;
    const char* message;
  } kMessages[] = {
      {-1, "動作環境が不正です。\nES_APRPACKAGENAMEが正しくインストールされているか確認してください。"},
      {1,
       "ご利用の連動コンポーネントは、インストールされているES_APRPACKAGENAMEでは使用できません。\n"
       "ES_APRPACKAGENAMEの最新版を入手してインストールしてからご利用ください。"},
      {2,
       "ご利用の連動コンポーネントは、インストールされているES_APRPACKAGENAMEでは使用できません。\n"
       "連動コンポーネントの最新版を入手してインストールしてからご利用ください。"},
  };

  char folder[kPathBufferSize] = {};
  win::GetCurrentDirectoryA(sizeof folder, folder);
  folder[kPathBufferSize - 1] = '\0';
  char ini[517] = {};
  std::string_view dir(folder);
  size_t n = cp932::CopyCut(ini, sizeof ini, dir);
  // A final "\" that is a trail byte is no separator.
  bool ends_with_separator = !dir.empty() && dir.back() == '\\' && !cp932::EndsWithDoubleByte(dir);
  if (!dir.empty() && !ends_with_separator && n < 516) ini[n++] = '\\';
  std::snprintf(ini + n, sizeof ini - n, "%s", "OrvikDef.ini");

  int code;
  if (win::PathFileExistsA(ini) != 1) {
    code = -1;
  } else {
    char level[16] = {};
    win::GetPrivateProfileStringA("ProgramLevel", "MX13", "1", level, sizeof level, ini);
    level[sizeof level - 1] = '\0';
    if (level[0] == '\0') {
      code = -1;
    } else {
      // As atoi reads it, but a value beyond int stays beyond 2.
      long value = std::strtol(level, nullptr, 10);
      code = value == 2 ? 0 : value < 2 ? 1 : 2;
    }
  }

  for (const auto& m : kMessages) {
    if (m.code != code) continue;
    if (show) ClZelConnect::Inst()->DispMsg(nullptr, m.message, kAppTitle, MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  return 1;
}
