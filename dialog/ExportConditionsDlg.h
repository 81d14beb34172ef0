// CExportConditionsDlg: the program's only window. Run control fills the
// company and period lines, the user and the selection numbers, shows it
// modally, and reads the output path afterwards. The dialog validates the
// output path before it ends with 1005 (export); 1006 means quit.
#pragma once

#include <cstdint>
#include <string>

#include "export/output_paths.h"
#include "platform/ui/dialog.h"

#define IDD_EXPORT_CONDITIONS 130
#define IDC_LABEL_COMPANY 1000
#define IDC_LABEL_PERIOD 1001
#define IDC_COMPANY 1002
#define IDC_PERIOD 1003
#define IDC_OUTPUT_GROUP 1004
#define IDC_EXECUTE 1005
#define IDC_CANCEL 1006
#define IDC_OUTPUT_PATH 1007
#define IDC_BROWSE 1008

class CExportConditionsDlg : public ui::CDialog {
 public:
  // error_log_name: the program's error log, written beside the output
  // file; env_file_name: the file in the environment folder that remembers
  // the output paths. Both are kept by pointer (constants of the program).
  CExportConditionsDlg(const char* error_log_name, const char* env_file_name, ui::CWnd* parent = nullptr);
  ~CExportConditionsDlg() override;

  // Set by run control before the dialog is shown.
  char m_szCompany[256] = {};  // company line (shown in 1002)
  char m_szPeriod[256] = {};   // period line (shown in 1003)
  char m_szUserID[65] = {};    // current user ID
  int32_t m_lFirstNo = 0;      // first selection number
  int32_t m_lSecondNo = 0;     // second selection number (data number)
  int m_nPastResults = 0;      // 1: past-results data, refused

  // The output path exchanged with the edit 1007; read by run control after
  // the dialog ended with 1005.
  char m_szOutputPath[kPathBufferSize] = {};
  // The export's files, derived from the output path by the export command;
  // read by run control after the dialog ended with 1005.
  OutputPaths m_outputFiles;

  // Stores the output path for this user and data set; 1 when stored.
  int SaveRememberedPath(const char* path);
  // Reads the remembered path into buffer (kPathBufferSize bytes); 1 when
  // there is one.
  int LoadRememberedPath(char* buffer);

 protected:
  void DoDataExchange(ui::CDataExchange* dx) override;
  BOOL PreTranslateMessage(ui::MSG* msg) override;
  BOOL OnInitDialog() override;
  void OnCancel() override;
  BOOL OnCommand(int control_id) override;

  void OnBrowse();
  void OnExecute();

  ui::CWnd m_ctlGroup;    // 1004
  ui::CWnd m_ctlCancel;   // 1006
  ui::CWnd m_ctlExecute;  // 1005
  ui::CWnd m_ctlBrowse;   // 1008
  ui::CWnd m_ctlPath;     // 1007

 private:
  // Takes the edit's text into m_szOutputPath and returns it whole: the edit
  // may hold more than the member (a text set whole, a path from browsing).
  std::string TakePathFromEdit();
  // Shows message (none when null), then puts the focus on the path edit
  // with its whole text selected; the dialog stays open.
  void Refuse(const char* message);
  // A Yes/No question; true for Yes.
  bool Ask(const char* question);
  // The refusal text for an output path beside which the error log or the
  // asset type file cannot be placed soundly; null when they can.
  static const char* SiblingRefusal(const OutputPaths& files);
  // The first of the export's files (the output path, the error log, the
  // asset type file) that is, however it is named, a file the run itself
  // uses: one of the package's data files, the environment file or the
  // program. Empty when none.
  std::string OutputOverUsedFile(const OutputPaths& files) const;
  // The environment file in folder (Windows form, ending with "\");
  // false when the path is too long.
  bool EnvFilePath(const char* folder, std::string* path) const;
  // This user's and data set's key in the environment file.
  std::string EnvKey() const;

  const char* const m_pszErrorLogName;
  const char* const m_pszEnvFileName;
};

// The dialog's template (resource 130).
const ui::DialogTemplate& ExportConditionsTemplate();
