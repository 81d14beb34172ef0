// The accounting-data component as the program sees it: the package's
// singletons and objects with the call shapes the program uses. The
// component owns every object it hands out. Our stand-in package (package/)
// implements these classes over a SQLite store; the program sees only this
// header and component/records.h.
//
// Unless said otherwise, calls return 0 on success and nonzero on failure.
#pragma once

#include <cstdint>

#include "component/records.h"
#include "platform/wintypes.h"

class ClSetMgr;
class ClOptLink;
class ClSysUser;
class ClSetData;

// The connection to the running package.
class ClZelConnect {
 public:
  static ClZelConnect* Inst();

  // Application title, set before any other call; the package uses it as the
  // caption of its own messages.
  void SetAppTitle(const char* title);
  const char* GetAppTitle() const;

  long SetAppType(long type);
  long SetUseDataType(long type);
  // Opens the package's store. Nonzero when the store is missing, unreadable
  // or of another schema (said on standard error), else the store's
  // initiate_result.
  long Initiate();
  // The store's syslink_result; when that is 0, nonzero still (said on
  // standard error) when the current user is not in users or the user's
  // selected data set is not in datasets.
  long ExpSysLink();
  // Shows a message box through the message-box service, with the product
  // name in place of every ES_APRPACKAGENAME. Returns the button.
  int DispMsg(HWND owner, const char* text, const char* caption, UINT style);
  // Disconnect, in this order at program end; safe after a failed Initiate.
  long LogOut();
  long Terminate();
  long Release();

  long GetAppType() const;
  long GetUseDataType() const;

 private:
  ClZelConnect() = default;
  char title_[256] = {};
  long app_type_ = 0;
  long use_data_type_ = 0;
};

class ClDataMgr {
 public:
  static ClDataMgr* Inst();
  ClSysUser* GetSysUserObject();
  // The data sets object; the program asks for (5, 1).
  ClSetData* GetSetObject(long kind, long sub);
  ClSetMgr* GetSetMgr();
};

class ClSysUser {
 public:
  // Writes the current user ID (at most 64 bytes and its terminator).
  long GetCurUserID(char* buffer);
  // The user's two selection numbers; the second is the selected data set's
  // data number.
  long GetSelectedNo(const char* user_id, int32_t* first, int32_t* second);
};

class ClSetData {
 public:
  long GetDatCursor(long* cursor);
  long ReadyDat(long cursor, long flag);
  // 0 with the next data set in *record; nonzero at the end or when the
  // store cannot be read. A value that does not fit its field is said on
  // standard error and left cleared; the record is still delivered.
  long WalkDat(StDATAINFO* record, long cursor);
  long ReleaseDatCursor(long cursor);
  // The selected data set's record (owned by the component); a cleared
  // record when none is selected. Values that do not fit as in WalkDat.
  StDATAINFO* GetSelectedInfo();
  // Makes data_no this connection's selected data set from now on, in place
  // of the current user's (GetSelectedNo's second number and
  // GetSelectedInfo give it); the store is not changed. A batch export runs
  // the exporter, which reads the selection, once per data set.
  long PinSelectedNo(int32_t data_no);
};

class ClLinkMgr {
 public:
  static ClLinkMgr* Inst();
  ClOptLink* GetOptLink();
};

// Common base of the component's data objects bound to one data set.
class ClSaveBase {
 public:
  ClSaveBase();
  virtual ~ClSaveBase();
  long AttachSetMgr(ClSetMgr* manager);
  long SetCurDataID(const char* data_id);
  // The data ID set last (empty when none).
  const char* GetCurDataID() const;

 protected:
  ClSetMgr* set_mgr_ = nullptr;
  char data_id_[16] = {};
};

// The depreciation rule object: walks the assets and categories of the data
// set handed to SetCurDataID.
//
// A nonzero result means the records of that call cannot be trusted: the
// store could not be read (damaged, locked, changed under the walk) or a
// stored value does not fit its record field (it is never coerced). The
// component has then said why in one line on standard error. A walk whose
// read failed stays failed: its later calls return nonzero at once. A value
// that does not fit fails only the call that met it.
//
// The asset walk reads one snapshot of the store from MoveReady to
// MoveFinish; item walks and LoadShisanKubunInfo called meanwhile read the
// same snapshot.
class ClRuleGenkashokyaku : public ClSaveBase {
 public:
  ClRuleGenkashokyaku();
  ~ClRuleGenkashokyaku() override;
  ClRuleGenkashokyaku(const ClRuleGenkashokyaku&) = delete;
  ClRuleGenkashokyaku& operator=(const ClRuleGenkashokyaku&) = delete;

  long AttachOptLink(ClOptLink* link);

  // Asset walk: MoveReady, GetCount, Move(i) for rising i, MoveFinish.
  // MoveReady counts; GetCount gives 0 and fails when that failed. Move
  // fails for an index outside the count.
  long MoveReady(void* filter, long a, long b);
  long GetCount(long* count);
  long Move(long index, StKOTEISHISANINFO* master, StKOTEINENINFO* year, StKOTEITSUKIINFO* month);
  long MoveFinish();

  // Items of the lump-sum asset selected by its 16-byte key (a key that
  // names no asset fails).
  long MoveReadyIkkatsu(const uint8_t* key);
  long GetIkkatsuCount(long* count);
  long MoveIkkatsu(long index, StIKKATSUINFO* item);
  long MoveFinishIkkatsu();

  // The data set's categories as an array allocated with CoTaskMemAlloc; the
  // caller frees it with CoTaskMemFree. On failure the array is null and the
  // count 0.
  long LoadShisanKubunInfo(StSHISANKUBUNINFO** array, long* count);

  // Proves that the walks could see every row of the data set: the assets,
  // lump-sum items and categories that the store's keys deliver (what the
  // walks count and step through) are counted again from the tables
  // themselves. A damaged key hides rows from a walk without any read
  // failing; this is where it shows. Called inside the asset walk (before
  // MoveFinish), so that both counts come from its snapshot. Nonzero, said
  // on standard error, when the counts differ or the store cannot be read.
  long CheckComplete();

 private:
  struct Impl;
  Impl* impl_;
  ClOptLink* opt_link_ = nullptr;
};

class ClFileMgr {
 public:
  static ClFileMgr* Inst();
  // Folder of the given type in Windows form, ending with "\" (or empty):
  // 0 the default output folder, 1 the folder of the environment file.
  // The text is the component's and stays valid until Release.
  const char* GetAppFolderPath(long type);
  // TRUE when the Windows path names a file the package keeps its data in:
  // its store, or a journal file of the store (also before that exists),
  // however the path reaches it (another drive, "..", a symbolic or hard
  // link), also where the store lies on no drive of the program. Nothing
  // of the program may write over these files.
  BOOL IsPackageFile(const char* path);
  long Release();
};

// Records the last status of the text record library.
class ClMsgMgr {
 public:
  static ClMsgMgr* Inst();
  // Records code, source file (may be null) and line; returns code.
  long SetLastError(long code, const char* file, long line);
  long GetLastErrorCode() const { return code_; }
  const char* GetLastErrorFile() const { return file_; }
  long GetLastErrorLine() const { return line_; }

 private:
  long code_ = 0;
  const char* file_ = nullptr;
  long line_ = 0;
};

// The package's store of text accessor column orders.
class ClSaveTextIO : public ClSaveBase {
 public:
  ClSaveTextIO();
  ~ClSaveTextIO() override;
  // Fills info->count and info->columns for the accessor named info->name.
  long GetData(StTEXTIOSAVEINFO* info);
  long SetData(StTEXTIOSAVEINFO* info);
};
