// Files that users keep, on the host: read only when they are regular files,
// replaced whole, and changed under an advisory lock. The environment file
// and the export's output files go through here, so that a failure, a kill
// or a second program at the same moment never leaves a file half written or
// mixed: a reader sees the old file or the new one, never a part.
//
// Paths are host paths (the platform layer maps Windows paths to them).
#pragma once

#include <string>
#include <string_view>

namespace hostfile {

enum class ReadStatus {
  kOk,
  kMissing,     // nothing at the path
  kNotRegular,  // a folder, a FIFO, a device: never opened for reading
  kFailed,      // there, but it cannot be opened or read
};

// Reads the whole file at path into *content. Something that is not a
// regular file is never read, so a FIFO in its place cannot block the
// program.
ReadStatus ReadRegular(const std::string& path, std::string* content);

// Gives the file temp the name path in one step, replacing whatever is
// there: temp's data reaches the disk first, a file that is replaced hands
// its permissions on to temp, and the folder entry is made durable after
// the rename. false on failure, with temp left in place for the caller to
// remove.
bool Replace(const std::string& temp, const std::string& path);

// Writes content to a new temporary file beside path and replaces path with
// it (Replace above). A file that did not exist yet gets the permissions that
// creating it directly would give. On failure the previous file, if any,
// stays as it was and no temporary file is left behind.
bool WriteWhole(const std::string& path, std::string_view content);

// True when the two paths name one file however they are spelled (another
// case on a host that folds case, "..", a symbolic or hard link, another root
// mapped to the same folder): the same device and inode. A file that does not
// exist yet is the same as another only when both are the same name in the
// same folder, which is where either would be created.
bool SameFile(const std::string& a, const std::string& b);

// The running program's own file; empty when it cannot be found.
std::string ProgramFile();

// path made absolute against the current directory, so that it still names
// the same file after the current directory has changed.
std::string AbsolutePath(const std::string& path);

// An advisory lock that serializes read-modify-replace cycles on the files of
// one folder between processes: held from construction until destruction.
// Locking the folder rather than the file keeps the lock valid across the
// rename that replaces the file, and leaves no lock file behind.
class FolderLock {
 public:
  // Waits until the lock on the folder of file_path is held; held() is
  // false when the folder cannot be locked (the caller goes on unlocked).
  explicit FolderLock(const std::string& file_path);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace hostfile
