// ClTextFile: one file stream, opened in one of the library's modes.
#include "textio/TextFile.h"

#include <new>
#include <string>

#include "platform/win.h"
#include "textio/status.h"
#include "textio/textaccessor.h"

namespace {

const char kSource[] = "TextFile";

constexpr std::streamsize kBufferSize = 256 * 1024;

}  // namespace

ClTextFile::ClTextFile() = default;

ClTextFile::~ClTextFile() {
  if (m_stream.is_open()) m_stream.close();
}

long ClTextFile::Open(const char* path, TFOpenMode mode) {
  // An open holder keeps its file: opening over it would lose the stream
  // that accessors are writing to.
  if (IsOpen()) return textio::ReportStatus(textio::kFileError, kSource, __LINE__);
  if (path == nullptr || (mode & (TF_READ | TF_WRITE)) == 0 ||
      ((mode & TF_APPEND) != 0 && (mode & TF_OVERWRITE) != 0)) {
    return textio::ReportStatus(textio::kInvalidArgument, kSource, __LINE__);
  }
  std::ios_base::openmode request;
  bool create_new = false;
  if (mode & TF_WRITE) {
    if (mode & TF_APPEND) {
      request = std::ios_base::out | std::ios_base::app;
    } else if (mode & TF_OVERWRITE) {
      request = std::ios_base::out | std::ios_base::trunc;
    } else {
      create_new = true;
      request = std::ios_base::out;
    }
  } else {
    request = std::ios_base::in;
  }
  m_stream.clear();
  // The buffer must be set while the stream is closed; it stays set.
  if (!m_buffer) {
    m_buffer.reset(new (std::nothrow) char[kBufferSize]);
    if (m_buffer) m_stream.rdbuf()->pubsetbuf(m_buffer.get(), kBufferSize);
  }
  // Lines carry their own CR LF: nothing is translated on any system.
  if (!win::OpenFileStream(&m_stream, path, request | std::ios_base::binary, create_new))
    return textio::ReportStatus(textio::kFileError, kSource, __LINE__);
  return textio::ReportStatus(0, kSource, __LINE__);
}

long ClTextFile::Close() {
  if (m_stream.is_open()) {
    m_stream.close();
    if (m_stream.fail()) return textio::ReportStatus(textio::kFileError, kSource, __LINE__);
  }
  return textio::ReportStatus(0, kSource, __LINE__);
}

long ClTextFile::Attach(ClTextAccessor* accessor) {
  if (accessor == nullptr) return textio::ReportStatus(textio::kInvalidArgument, kSource, __LINE__);
  return accessor->Attach(&m_stream);
}

bool ClTextFile::IsOpen() const { return m_stream.is_open(); }
