// How the files of an export take their final names together, and what a
// run that was cut short leaves for the next one to finish.
//
// All files of a run are written to temporary files ("~zelXXXXXXXX.tmp")
// and flushed to disk first. Then a commit record ("~zelcommit.rec": the
// temporary and final name of each file, whole or not at all, since it is
// itself written under a temporary name and renamed) is put into the output
// folder, the files are renamed one by one, and the record is removed. A run
// killed between two renames leaves the record; the next export into that
// folder, and zelverify on its files, finish the renames before anything
// else, so the folder holds the old set or the new one, never a mix.
//
// Exports into one folder take turns: each holds the folder's lock from
// before its first temporary file until its files are committed. Each run
// also holds a lock on each of its temporary files, so that whoever holds the
// folder's lock removes only temporary files of runs that are gone.
//
// Paths are Windows paths in CP932, folders ending with "\".
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/wintypes.h"

namespace outputcommit {

inline constexpr char kRecordName[] = "~zelcommit.rec";
// The pattern of the run's temporary files within a folder.
inline constexpr char kTemporaryPattern[] = "~zel*.tmp";

// The lock of an output folder, held while the object lives or until
// Release.
class FolderLock {
 public:
  FolderLock() = default;
  ~FolderLock() { Release(); }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  enum class Result { kLocked, kTimedOut, kNoFolder };
  // Takes the lock of folder, waiting at most timeout_ms for another run to
  // let it go; waiting (once, when it begins) is told to notice (may be
  // null). kNoFolder when the folder cannot be opened (no lock is possible
  // there; the files will tell).
  Result Acquire(const char* folder, long timeout_ms, void (*notice)(const char* text));
  void Release();

 private:
  HANDLE handle_ = nullptr;
};

// A temporary file of this run held with a lock, so that no other run takes
// it for a leftover; it is also removed should the program be ended by a
// signal before it is committed or discarded.
class HeldTemporary {
 public:
  HeldTemporary() = default;
  ~HeldTemporary() { Let(); }
  HeldTemporary(const HeldTemporary&) = delete;
  HeldTemporary& operator=(const HeldTemporary&) = delete;
  // Holds the file at path (just made by this run).
  void Hold(const char* path);
  // Writes the file's data to disk; false when that failed.
  bool Flush() const;
  // No longer held (renamed, or removed by the caller).
  void Let();

 private:
  HANDLE handle_ = nullptr;
  int signal_slot_ = -1;
};

// The folder part of path (up to and including its last "\"); empty when it
// has none.
std::string FolderOf(const char* path);

// Finishes a commit that a run cut short in folder (its record), then
// removes the temporary files there that no live run holds. Call it with
// the folder's lock held.
void Tidy(const char* folder);
// Only the first half of Tidy, taking the folder's lock for it (waiting at
// most timeout_ms): for a reader of the files, such as zelverify. False
// when the lock could not be had in time.
bool FinishInterrupted(const char* folder, long timeout_ms);

// Gives each temporary file (first) its final name (second), all files in
// folder's record first, so that a run cut short is finished by the next.
// The files must be written and flushed. Returns how many renames were
// made, from the first on; all of them when the commit succeeded. A
// failure before the first rename (no record could be written) changes
// nothing.
size_t Commit(const char* folder, const std::vector<std::pair<std::string, std::string>>& moves);

}  // namespace outputcommit
