// Checks and folder work on output paths (Windows paths in CP932, at most 260
// bytes). Every scan steps over double-byte characters as units, so a trail
// byte with the value of "\" or "|" is never taken for one.
#pragma once

#include <cstddef>

namespace outpath {

// False when the path holds a control character (0x01 to 0x1F), a doubled
// "\" after its start, or any of / : , ; * ? " > < | after its drive (a
// network path: after its "\\").
bool HasValidCharacters(const char* path);

// A network path passes when its share can be read and written; any other
// path when it holds no doubled "\" and its first letter names a usable drive.
bool IsValidDrive(const char* path);

// Judges the drive named by letter ("A".."Z", "a".."z") by its type: unknown,
// CD-ROM and RAM disk fail; no-root passes; removable, fixed and remote pass
// when the root can be accessed with mode.
bool IsUsableDrive(char letter, int mode);

// Closes text with "\" (capacity in bytes). A text that ends with a
// double-byte character always gets one, since its last byte may be a trail
// byte of the value "\". 1 when it ends with "\" afterwards; 0 when empty or
// there is no room.
int AddBackslash(char* text, size_t capacity);

// Replaces text by its drive and directory parts, closed with "\" when there
// is room (the result is shorter than the text). 0 when the text or the
// result is empty.
int ToFolderPath(char* text);

// 1 when the drive and directory parts of path name an existing directory.
int FolderExists(const char* path);

// 1 when position pos of text holds a byte of a double-byte character.
int IsDoubleByteAt(const char* text, size_t pos);

// Creates every missing level of folder, from the root down. When a level
// cannot be created, the levels created by this call are removed again.
bool CreateFolderTree(const char* folder);

// Removes the folders of path deepest first, stopping at kept (which is left
// in place); without kept, only the deepest existing level is removed. 0 when
// a path cannot be reduced, kept is not above path, or a removal fails.
int RemoveCreatedFolders(const char* path, const char* kept = nullptr);

// Folder part (up to and including the last "\", empty without one) and file
// part (after the last "\", the whole text without one) of path.
size_t FolderPartLength(const char* path);
const char* FilePart(const char* path);

}  // namespace outpath
