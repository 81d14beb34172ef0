// The package connection, users, data sets, file manager and the common base
// of data objects, over the store.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "component/component.h"
#include "package/columns.h"
#include "package/folder_vars.h"
#include "package/selection.h"
#include "package/store.h"
#include "platform/cp932.h"
#include "platform/message_box.h"

// Handed out only to be handed back: the program never looks inside.
class ClSetMgr {};
class ClOptLink {};

namespace {

using package::TheStore;

// One value of the package row (the first row when a store holds more).
std::string PackageText(const char* column) {
  std::string sql = std::string("SELECT ") + column + " FROM package ORDER BY rowid LIMIT 1";
  sqlite3_stmt* stmt = TheStore().Prepare(sql.c_str());
  std::string value;
  if (stmt && TheStore().Step(stmt)) value = package::ColumnText(stmt, 0);
  sqlite3_finalize(stmt);
  return value;
}

long PackageNumber(const char* column, long fallback) {
  std::string sql = std::string("SELECT ") + column + " FROM package ORDER BY rowid LIMIT 1";
  sqlite3_stmt* stmt = TheStore().Prepare(sql.c_str());
  long value = fallback;
  if (stmt && TheStore().Step(stmt)) value = static_cast<long>(sqlite3_column_int64(stmt, 0));
  sqlite3_finalize(stmt);
  return value;
}

const std::string& DataSetSelect() {
  static const std::string sql =
      "SELECT " + package::ColumnList(package::kDataSetColumns) + " FROM datasets ";
  return sql;
}

// Fills a data-set record. A value that does not fit its field is said on
// standard error and leaves that field as the caller cleared it, and the
// record is still delivered: run control reads the data sets before it can
// report a failure of its own, so hiding the data set would end the run on
// a misleading "no data set" instead. Nothing is coerced into a wrong value
// (65635 is never taken for the past-results kind 99).
void FillDataInfo(sqlite3_stmt* stmt, StDATAINFO* r) {
  for (size_t i = 0; i < package::kDataSetColumns.size(); ++i) {
    const package::ColumnRule& rule = package::kDataSetColumns[i];
    int col = static_cast<int>(i);
    if (package::FillField(stmt, col, rule, r)) continue;
    std::string_view id = cp932::FieldText(r->szDataID, sizeof(r->szDataID));
    std::string no = "no. " + std::to_string(sqlite3_column_int64(stmt, 1));
    package::SayFailure(id.empty() ? std::string_view(no) : id, std::string("column ") + rule.column,
                        package::Misfit(stmt, col, rule));
  }
}

// A start-up refusal: the English line on standard error, as scripts and
// logs read it, and a Japanese text that names the store (path_utf8) and
// says what to do, in a box where the back end shows one (the Windows
// dialog, whose user sees no standard error).
void Refuse(const std::string& line, const char* what, const std::string& path_utf8, const std::string& why,
            const char* remedy) {
  std::fprintf(stderr, "Zelmar: %s\n", line.c_str());
  std::string text = std::string(what) + "\n\n会計データ ⇒ " + cp932::FromUtf8(path_utf8) + "\n";
  if (!why.empty()) text += "（" + cp932::FromUtf8(why) + "）\n";
  text += std::string("\n") + remedy;
  ui::MessageBoxes().ShowRefusal(text.c_str(), ClZelConnect::Inst()->GetAppTitle());
}

const char kChooseStore[] =
    "zelpkg.exe で作った会計データのファイルを環境変数 ZEL_PACKAGE に指定するか、"
    "プログラムと同じフォルダに package.db として置いてから、もう一度起動してください。";
const char kAskAdministrator[] = "会計パッケージの設定を確かめてから、もう一度起動してください。";

}  // namespace

// ---- ClZelConnect -----------------------------------------------------------

ClZelConnect* ClZelConnect::Inst() {
  static ClZelConnect instance;
  return &instance;
}

void ClZelConnect::SetAppTitle(const char* title) {
  cp932::CopyCut(title_, sizeof(title_), title ? title : "");
}
const char* ClZelConnect::GetAppTitle() const { return title_; }
long ClZelConnect::SetAppType(long type) {
  app_type_ = type;
  return 0;
}
long ClZelConnect::SetUseDataType(long type) {
  use_data_type_ = type;
  return 0;
}
long ClZelConnect::GetAppType() const { return app_type_; }
long ClZelConnect::GetUseDataType() const { return use_data_type_; }

long ClZelConnect::Initiate() {
  std::string path = package::StorePath();
  std::string error;
  if (!TheStore().Open(path, &error)) {
    Refuse("the package store " + path + " cannot be used: " + error, "会計データを開けません。", path, error,
           kChooseStore);
    return -1;
  }
  long result = PackageNumber("initiate_result", 0);
  if (result != 0) {
    std::string code = "initiate_result " + std::to_string(result);
    Refuse("the package refuses the connection (" + code + ")", "会計パッケージが接続を拒みました。", path,
           code, kAskAdministrator);
  }
  return result;
}

// The link to the data of the current user's selection: without a user or
// a selected data set there is no company to export, and the run must not
// go on to show an empty one and report its export as a success.
long ClZelConnect::ExpSysLink() {
  if (!TheStore().IsOpen()) return -1;
  long result = PackageNumber("syslink_result", 0);
  if (result != 0) {
    std::string code = "syslink_result " + std::to_string(result);
    Refuse("the package refuses the link to its data (" + code + ")",
           "会計パッケージがデータへの連携を拒みました。", package::StorePath(), code, kAskAdministrator);
    return result;
  }
  std::string why;
  if (!package::CheckSelection(TheStore().db(), nullptr, &why)) {
    Refuse("the package store " + package::StorePath() + " has no data to export: " + why,
           "会計データに、出力する会社のデータが選ばれていません。", package::StorePath(), why,
           "zelpkg.exe check で会計データを確かめてください。zelpkg.exe import で取り込んだ会社が、"
           "現在のユーザーの選んだ会社になります（README.txt）。");
    return -1;
  }
  return 0;
}

int ClZelConnect::DispMsg(HWND owner, const char* text, const char* caption, UINT style) {
  static const char kPlaceholder[] = "ES_APRPACKAGENAME";
  std::string product = TheStore().IsOpen() ? PackageText("product_name") : std::string("Zelmar");
  std::string message = text ? text : "";
  size_t at = 0;
  while ((at = cp932::FindText(message, kPlaceholder, at)) != std::string::npos) {
    message.replace(at, sizeof(kPlaceholder) - 1, product);
    at += product.size();
  }
  return ui::MessageBoxes().Show(owner, message.c_str(), caption ? caption : title_, style);
}

long ClZelConnect::LogOut() {
  TheStore().Close();
  return 0;
}
long ClZelConnect::Terminate() {
  TheStore().Close();
  return 0;
}
long ClZelConnect::Release() {
  TheStore().Close();
  return 0;
}

// ---- ClDataMgr, ClLinkMgr ------------------------------------------------------

ClDataMgr* ClDataMgr::Inst() {
  static ClDataMgr instance;
  return &instance;
}

ClSysUser* ClDataMgr::GetSysUserObject() {
  static ClSysUser user;
  return &user;
}

ClSetData* ClDataMgr::GetSetObject(long kind, long sub) {
  static ClSetData data_sets;
  return (kind == 5 && sub == 1) ? &data_sets : nullptr;
}

ClSetMgr* ClDataMgr::GetSetMgr() {
  static ClSetMgr manager;
  return &manager;
}

ClLinkMgr* ClLinkMgr::Inst() {
  static ClLinkMgr instance;
  return &instance;
}

ClOptLink* ClLinkMgr::GetOptLink() {
  static ClOptLink link;
  return &link;
}

// ---- ClSysUser ------------------------------------------------------------------

long ClSysUser::GetCurUserID(char* buffer) {
  if (!buffer) return 1;
  cp932::CopyCut(buffer, 65, PackageText("current_user"));
  return TheStore().IsOpen() ? 0 : 1;
}

namespace {
// The data set that PinSelectedNo named, or -1 for the user's own selection.
int64_t pinned_data_no = -1;
}  // namespace

long ClSysUser::GetSelectedNo(const char* user_id, int32_t* first, int32_t* second) {
  if (first) *first = 0;
  if (second) *second = 0;
  sqlite3_stmt* stmt = TheStore().Prepare(
      "SELECT selected_first, selected_second FROM users WHERE user_id IN (?1, ?2) LIMIT 1");
  if (!stmt) return 1;
  package::BindKey(stmt, 1, user_id ? user_id : "");
  long rc = 1;
  if (TheStore().Step(stmt)) {
    if (first) *first = static_cast<int32_t>(sqlite3_column_int64(stmt, 0));
    if (second) *second = static_cast<int32_t>(sqlite3_column_int64(stmt, 1));
    rc = 0;
  }
  sqlite3_finalize(stmt);
  if (rc == 0 && second && pinned_data_no >= 0) *second = static_cast<int32_t>(pinned_data_no);
  return rc;
}

// ---- ClSetData ------------------------------------------------------------------

namespace {

// Open data set walks by cursor number.
struct DatCursor {
  sqlite3_stmt* stmt = nullptr;
  uint64_t generation = 0;
};
std::map<long, DatCursor>& Cursors() {
  static std::map<long, DatCursor> cursors;
  return cursors;
}

}  // namespace

long ClSetData::GetDatCursor(long* cursor) {
  static long next = 0;
  if (!cursor) return 1;
  *cursor = ++next;
  Cursors()[*cursor] = DatCursor();
  return 0;
}

long ClSetData::ReadyDat(long cursor, long /*flag*/) {
  auto it = Cursors().find(cursor);
  if (it == Cursors().end()) return 1;
  sqlite3_finalize(it->second.stmt);
  it->second.stmt = TheStore().Prepare((DataSetSelect() + "ORDER BY data_no").c_str());
  it->second.generation = TheStore().generation();
  return it->second.stmt ? 0 : 1;
}

long ClSetData::WalkDat(StDATAINFO* record, long cursor) {
  auto it = Cursors().find(cursor);
  if (it == Cursors().end() || !it->second.stmt || it->second.generation != TheStore().generation()) return 1;
  if (!TheStore().Step(it->second.stmt)) return 1;
  if (record) FillDataInfo(it->second.stmt, record);
  return 0;
}

long ClSetData::ReleaseDatCursor(long cursor) {
  auto it = Cursors().find(cursor);
  if (it == Cursors().end()) return 1;
  sqlite3_finalize(it->second.stmt);
  Cursors().erase(it);
  return 0;
}

StDATAINFO* ClSetData::GetSelectedInfo() {
  static StDATAINFO selected;
  std::memset(&selected, 0, sizeof(selected));
  char user[65] = {};
  int32_t first = 0, second = 0;
  if (ClDataMgr::Inst()->GetSysUserObject()->GetCurUserID(user) != 0 ||
      ClDataMgr::Inst()->GetSysUserObject()->GetSelectedNo(user, &first, &second) != 0)
    return &selected;
  sqlite3_stmt* stmt = TheStore().Prepare((DataSetSelect() + "WHERE data_no = ?").c_str());
  if (!stmt) return &selected;
  sqlite3_bind_int64(stmt, 1, second);
  if (TheStore().Step(stmt)) FillDataInfo(stmt, &selected);
  sqlite3_finalize(stmt);
  return &selected;
}

long ClSetData::PinSelectedNo(int32_t data_no) {
  pinned_data_no = data_no;
  return 0;
}

// ---- ClFileMgr --------------------------------------------------------------------

ClFileMgr* ClFileMgr::Inst() {
  static ClFileMgr instance;
  return &instance;
}

const char* ClFileMgr::GetAppFolderPath(long type) {
  static char folders[2][kPathBufferSize];
  static char none[1];
  if (type != 0 && type != 1) return none;
  // Callers append file names: a folder always ends with its "\" (a final
  // double-byte character whose trail byte is 0x5C does not count as one).
  std::string folder =
      package::ExpandFolderVariables(PackageText(type == 0 ? "output_folder" : "env_folder"));
  if (!folder.empty() && (folder.back() != '\\' || cp932::EndsWithDoubleByte(folder))) folder += '\\';
  if (folder.size() >= sizeof(folders[type])) folder.clear();  // too long to be a folder
  cp932::CopyCut(folders[type], sizeof(folders[type]), folder);
  return folders[type];
}

long ClFileMgr::Release() { return 0; }

// ---- ClSaveBase -------------------------------------------------------------------

ClSaveBase::ClSaveBase() = default;
ClSaveBase::~ClSaveBase() = default;

long ClSaveBase::AttachSetMgr(ClSetMgr* manager) {
  set_mgr_ = manager;
  return manager ? 0 : 1;
}

long ClSaveBase::SetCurDataID(const char* data_id) {
  std::memset(data_id_, 0, sizeof(data_id_));
  cp932::CopyCut(data_id_, sizeof(data_id_), data_id ? data_id : "");
  return 0;
}

const char* ClSaveBase::GetCurDataID() const { return data_id_; }
