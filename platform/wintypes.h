// The few Windows types and constants that the program and its layers share,
// with the values and types of <windows.h>. The Windows build's own files
// include <windows.h> after this header (NO_STRICT keeps HWND a plain
// handle); the rest of the program never sees the system's header.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int BOOL;
typedef unsigned int UINT;
// As <windows.h> has it, so that the Windows build's own files can include
// both: 32 bits either way.
#ifdef _WIN32
typedef unsigned long DWORD;
#else
typedef uint32_t DWORD;
#endif
typedef uint8_t BYTE;
typedef void* HWND;
typedef void* HANDLE;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define MAX_PATH 260
// Buffer size of every path: 260 bytes and the terminator.
constexpr size_t kPathBufferSize = MAX_PATH + 1;

// Currency: a signed 64-bit count of ten-thousandths (the platform's CY).
struct tagCY {
  int64_t int64;
};
typedef tagCY CY;

// Message box styles and answers.
#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_ICONSTOP 0x00000010u
#define MB_ICONHAND MB_ICONSTOP
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONINFORMATION 0x00000040u
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

// Drive types of GetDriveTypeA.
#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

#define VER_PLATFORM_WIN32_NT 2
