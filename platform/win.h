// Our stand-in for the Windows calls that the program makes, with the same
// names and meanings, in namespace win. Paths are Windows paths in CP932; the
// layer maps them to host paths through the drive map (ZEL_DRIVES) and the
// network shares (ZEL_SHARES). On Windows the same calls forward to the real
// API's W functions, and a host path is the Windows path itself in UTF-8.
#pragma once

#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <ios>
#include <iosfwd>
#include <string>

// <sys/stat.h> makes st_mtime a macro; our _stat below has a member of that
// name. Host code in the platform layer reads st_mtim.tv_sec instead.
#undef st_mtime

#include "platform/wintypes.h"

namespace win {

// ---- Host mapping -------------------------------------------------------
// Maps a Windows path to the host path. Returns false when the path cannot
// be reached (unmapped drive, drive without root, unlisted share).
bool ToHostPath(const char* path, std::string* host);
// The Windows form of a host path through the map (longest root wins);
// empty when no mapped root contains it.
std::string FromHostPath(const std::string& host);
// A hint for a path of the host typed where a Windows path is wanted
// ("/tmp/x.csv"): its Windows form through the map, or that no drive holds
// it (UTF-8, one line). Empty for any other path, and on Windows, which has
// no drive map.
std::string HostPathHint(const char* path);
// Drops the cached drive map and shares so the next call reads the
// environment again (tests change ZEL_DRIVES between cases).
void ReloadMappings();
// A host path as the C++ library's file streams open it.
std::filesystem::path HostFsPath(const std::string& host);
// The host path that a path of the C++ library names, as HostFsPath takes it
// (UTF-8 on Windows, never through the ANSI code page).
std::string HostPathString(const std::filesystem::path& path);
// Creates an empty file at a host path that must not exist yet; false when
// it exists or cannot be made.
bool CreateNewHostFile(const std::string& host);
// Opens stream on the file named by the Windows path, as a Windows program
// opens a file stream by name; with create_new the file is made first and
// must not exist yet (CREATE_NEW). false when the path cannot be reached or
// the file cannot be made or opened.
bool OpenFileStream(std::fstream* stream, const char* path, std::ios_base::openmode mode, bool create_new);

// ---- Text -----------------------------------------------------------------
BOOL IsDBCSLeadByte(BYTE c);

// ---- Paths and files ------------------------------------------------------
UINT GetDriveTypeA(const char* root);
char* PathSkipRootA(const char* path);  // null when the path has no root
BOOL PathStripToRootA(char* path);      // TRUE when a root remains
BOOL PathIsDirectoryA(const char* path);
BOOL PathFileExistsA(const char* path);
int _access(const char* path, int mode);  // 0 when allowed, -1 otherwise
void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext);
BOOL CreateDirectoryA(const char* path, void* security);
BOOL RemoveDirectoryA(const char* path);
BOOL DeleteFileA(const char* path);
// Attributes of a file or folder; INVALID_FILE_ATTRIBUTES when nothing is
// there. A symbolic link is a reparse point (its target is not looked at); a
// FIFO, socket or device is a device.
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_DEVICE 0x00000040u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400u
DWORD GetFileAttributesA(const char* path);
// Gives the file existing the name new_name. With MOVEFILE_REPLACE_EXISTING
// a file of that name is replaced in one step and hands its permissions on
// (as ReplaceFile keeps a replaced file's attributes); with
// MOVEFILE_WRITE_THROUGH the call returns only when the move is on disk.
#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_WRITE_THROUGH 0x00000008u
BOOL MoveFileExA(const char* existing, const char* new_name, DWORD flags);
// Makes a new empty file "<first three bytes of prefix><four hex digits>.TMP"
// in folder, under a number no file there has yet (unique 0), and writes its
// path to buffer (MAX_PATH bytes at least). Returns the number; 0 on failure.
UINT GetTempFileNameA(const char* folder, const char* prefix, UINT unique, char* buffer);
// Not a Windows call: what a program finds by comparing the volume serial
// numbers and file indexes that GetFileInformationByHandle gives. TRUE when
// the two paths name one file however they are spelled (another drive or
// share over the same folder, "..", a symbolic or hard link). A file that
// does not exist yet is the same as another only when both are the same
// name in the same folder, which is where either would be created.
BOOL PathIsSameFileA(const char* path1, const char* path2);
DWORD GetTempPathA(DWORD size, char* buffer);
// The entries of a folder whose names match pattern: "FOLDER\\*" or a last
// part with one "*" ("FOLDER\\~zel*.tmp"), "." and ".." left out. The first
// entry goes into data; INVALID_HANDLE_VALUE when there is none or the
// folder cannot be read. FindNextFileA gives the next (FALSE at the end).
struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  char cFileName[MAX_PATH];
};
HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data);
BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data);
BOOL FindClose(HANDLE find);
DWORD GetCurrentDirectoryA(DWORD size, char* buffer);
BOOL SetCurrentDirectoryA(const char* path);
DWORD GetModuleFileNameA(HANDLE module, char* buffer, DWORD size);
UINT GetWindowsDirectoryA(char* buffer, UINT size);

// File status, as _stat gives it.
#define _S_IFDIR 0x4000
#define _S_IFREG 0x8000
struct _stat {
  unsigned short st_mode;
  int64_t st_size;
  time_t st_mtime;
};
int _stat(const char* path, struct _stat* status);  // 0 or -1

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};
BOOL GetVersionExA(OSVERSIONINFOA* info);

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* fallback, char* buffer,
                               DWORD size, const char* file);

// Local time now.
struct SYSTEMTIME {
  uint16_t wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};
void GetLocalTime(SYSTEMTIME* now);

// ---- File handles -----------------------------------------------------------
// A file's handle from CreateFileA (CREATE_NEW or OPEN_EXISTING),
// INVALID_HANDLE_VALUE on failure with the reason in GetLastError;
// CloseHandle closes it. A folder opens with FILE_FLAG_BACKUP_SEMANTICS only.
// Nothing waits for a FIFO in a file's place: it opens at once, GetFileType
// tells it apart, and a read of it comes back at once. On Linux the share
// mode is not enforced. The handles are synchronous: overlapped is null for
// ReadFile and WriteFile.
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u
#define CREATE_NEW 1u
#define OPEN_EXISTING 3u
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000u
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))
#define FILE_TYPE_UNKNOWN 0u
#define FILE_TYPE_DISK 1u
#define FILE_TYPE_CHAR 2u
#define FILE_TYPE_PIPE 3u
#define LOCKFILE_FAIL_IMMEDIATELY 0x00000001u
#define LOCKFILE_EXCLUSIVE_LOCK 0x00000002u
#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_PATH_NOT_FOUND 3u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_LOCK_VIOLATION 33u
#define ERROR_FILE_EXISTS 80u
#define ERROR_INVALID_PARAMETER 87u
struct OVERLAPPED {
  uintptr_t Internal;
  uintptr_t InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
};
HANDLE CreateFileA(const char* path, DWORD access, DWORD share_mode, void* security, DWORD disposition,
                   DWORD flags, HANDLE template_file);
DWORD GetFileType(HANDLE file);
// The path of the file that an open handle names, links followed (in
// Windows form, without the "\\?\" prefix; flags 0). Its length, 0 on
// failure (also when the file lies on no drive of the map), or the size
// needed when buffer is too small.
DWORD GetFinalPathNameByHandleA(HANDLE file, char* buffer, DWORD size, DWORD flags);
BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read, OVERLAPPED* overlapped);
BOOL WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written, OVERLAPPED* overlapped);
BOOL FlushFileBuffers(HANDLE file);
// A lock held until UnlockFileEx, waiting for it unless
// LOCKFILE_FAIL_IMMEDIATELY. On a folder's handle it locks the folder (a
// lock Windows itself does not have; the Windows build keeps one per folder
// among processes): it keeps read-modify-replace cycles on the folder's files
// apart, stays valid across a rename that replaces a file, and leaves no
// file behind. On Linux it is a lock of the whole file or folder.
BOOL LockFileEx(HANDLE file, DWORD flags, DWORD reserved, DWORD bytes_low, DWORD bytes_high,
                OVERLAPPED* overlapped);
BOOL UnlockFileEx(HANDLE file, DWORD reserved, DWORD bytes_low, DWORD bytes_high, OVERLAPPED* overlapped);
// Why the last file call of this thread failed (ERROR_...).
DWORD GetLastError();

// ---- Ending by a signal (not Windows calls) ---------------------------------
// A program ended from outside (TERM, INT or HUP) first removes the files
// named here, then ends as that signal ends a program. The names are made
// host paths when registered, so the removal needs nothing but unlink.
// Windows sends none of these signals to a desktop program: there the calls
// keep nothing.
// Registers path; a slot number for KeepOnTermination, -1 when the path
// cannot be mapped or every slot is taken.
int RemoveOnTermination(const char* path);
// The file of slot stays (it was renamed or removed by the program).
void KeepOnTermination(int slot);
// While held, an ending signal waits; it takes effect once released. For
// a few steps that must all happen or none (renames of a commit).
void HoldTermination(bool hold);

// ---- Memory ---------------------------------------------------------------
void* CoTaskMemAlloc(size_t size);
void CoTaskMemFree(void* block);

// ---- Processes --------------------------------------------------------------
#define STARTF_USESHOWWINDOW 0x00000001u
#define STARTF_USESTDHANDLES 0x00000100u
#define SW_SHOWNORMAL 1
#define CREATE_NEW_CONSOLE 0x00000010u
#define CREATE_NO_WINDOW 0x08000000u
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu

// The fields of STARTUPINFOA that the programs use. With
// STARTF_USESTDHANDLES the child's standard input, output and error are the
// three handles (null: none); on Windows they must be inheritable (a
// SECURITY_ATTRIBUTES with bInheritHandle to CreateFileA) and handles
// inherited (inherit_handles TRUE).
struct STARTUPINFOA {
  DWORD cb;
  DWORD dwFlags;
  uint16_t wShowWindow;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  void* lpSecurityDescriptor;
  BOOL bInheritHandle;
};
struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
BOOL CreateProcessA(const char* application, char* command_line, void* process_security,
                    void* thread_security, BOOL inherit_handles, DWORD creation_flags, void* environment,
                    const char* current_directory, STARTUPINFOA* startup, PROCESS_INFORMATION* process);
// On Windows WordPad's file is handed over as ShellExecuteExA below hands
// over a .txt file.

#define SEE_MASK_NOCLOSEPROCESS 0x00000040u
// The fields of SHELLEXECUTEINFOA that the program uses.
struct SHELLEXECUTEINFOA {
  DWORD cbSize;
  DWORD fMask;
  HWND hwnd;
  const char* lpVerb;
  const char* lpFile;
  const char* lpParameters;
  const char* lpDirectory;
  int nShow;
  HANDLE hProcess;
};
// Opens lpFile with the program that the system associates with its type.
// With SEE_MASK_NOCLOSEPROCESS, hProcess is the started process (for
// WaitForSingleObject and CloseHandle), or null when the file went to a
// program that was running already. FALSE when nothing could be started.
// On Windows a .txt file is handed over as a UTF-16 copy (in the folder
// Zelmar of the temporary folder, under its own name) where the ANSI code
// page is not 932, so that a viewer reading that page shows its Shift_JIS
// text; the file itself stays as it is. The Linux stand-in keeps no file
// associations (WordPad's part already goes to ZEL_VIEWER or the back end's
// viewer): there it fails, as a Windows without one does.
BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info);
// Waits until the process has ended (timeout in ms or INFINITE).
DWORD WaitForSingleObject(HANDLE handle, DWORD timeout_ms);
BOOL CloseHandle(HANDLE handle);

}  // namespace win
