// ClTextFile: owns one file stream, opens it in one of the library's modes,
// closes it, and lends the stream to text accessors.
//
// Status codes (textio/status.h): 0 success; kFileError (-1000) the file
// cannot be opened or closed (also: Open on a holder that is already open);
// kInvalidArgument (-1003) an invalid argument.
#pragma once

#include <fstream>
#include <memory>

class ClTextAccessor;

class ClTextFile {
 public:
  enum TFOpenMode { TF_READ = 1, TF_WRITE = 2, TF_APPEND = 4, TF_OVERWRITE = 8 };

  ClTextFile();
  virtual ~ClTextFile();
  ClTextFile(const ClTextFile&) = delete;
  ClTextFile& operator=(const ClTextFile&) = delete;

  // path: a Windows path in CP932, mapped to the host by the platform layer.
  long Open(const char* path, TFOpenMode mode);
  long Close();
  long Attach(ClTextAccessor* accessor);

  bool IsOpen() const;
  std::fstream& Stream() { return m_stream; }

 private:
  // The stream's buffer: large, so that a file of a million lines reaches
  // the disk in few calls. Made at the first Open; declared first so that it
  // outlives the stream.
  std::unique_ptr<char[]> m_buffer;
  std::fstream m_stream;
};
