#include "export/output_writer.h"

#include <cstring>

#include "platform/cp932.h"

void AssetRow::Clear() {
  std::memset(record_, 0, kAssetRowRecordSize);
  std::memset(written_, 0, sizeof written_);
}

const StTAFORMAT& AssetRow::Column(int column, bool* ok) {
  const StTAFORMAT* table = AssetRowFormat();
  *ok = column >= 1 && column <= kAssetColumnCount;
  if (!*ok) return table[0];
  written_[column - 1] = true;
  return table[column - 1];
}

void AssetRow::Text(int column, std::string_view text) {
  bool ok;
  const StTAFORMAT& f = Column(column, &ok);
  if (!ok) return;
  size_t n = text.size() < static_cast<size_t>(f.width) ? text.size() : static_cast<size_t>(f.width);
  char* field = reinterpret_cast<char*>(record_ + f.offset);
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
  OneField(field, n);
}

void AssetRow::Int16(int column, int16_t value) {
  bool ok;
  const StTAFORMAT& f = Column(column, &ok);
  if (ok) std::memcpy(record_ + f.offset, &value, sizeof value);
}

void AssetRow::Int32(int column, int32_t value) {
  bool ok;
  const StTAFORMAT& f = Column(column, &ok);
  if (ok) std::memcpy(record_ + f.offset, &value, sizeof value);
}

void AssetRow::Currency(int column, int64_t amount) {
  bool ok;
  const StTAFORMAT& f = Column(column, &ok);
  if (ok) std::memcpy(record_ + f.offset, &amount, sizeof amount);
}

void AssetRow::ApplyMask(ClTextAccessor* accessor) const {
  for (long i = 0; i < kAssetColumnCount; ++i) accessor->SetMask(i, written_[i] ? 0 : 1);
}

OutputWriter::OutputWriter()
    : asset_row("G_INFO", AssetRowFormat(), kAssetColumnCount),
      column_names("G_HEAD", ColumnNameFormat(), kAssetColumnCount),
      header_line("G_HEADER", HeaderLineFormat(), 1),
      type_row("G_SSC", TypeRowFormat(), kTypeColumnCount) {}

OutputWriter::~OutputWriter() = default;

bool OutputWriter::Open(OutputKind kind, const char* path) {
  OutputFileStatus& s = status_[kind];
  s = OutputFileStatus();
  // A path is never shortened: that would name another file.
  size_t n = path == nullptr ? 0 : cp932::FieldLength(path, kPathBufferSize);
  if (n == 0 || n >= kPathBufferSize) return false;
  s.opened = files[kind].Open(path, static_cast<ClTextFile::TFOpenMode>(ClTextFile::TF_WRITE |
                                                                          ClTextFile::TF_OVERWRITE)) == 0;
  return s.opened;
}

void OutputWriter::Close(OutputKind kind) {
  OutputFileStatus& s = status_[kind];
  bool was_open = files[kind].IsOpen();
  long result = files[kind].Close();
  if (was_open && s.opened) s.closed = result == 0;
}

void OutputWriter::WriteLine(OutputKind kind, ClTextAccessor* accessor) {
  if (!files[kind].IsOpen()) return;
  files[kind].Attach(accessor);
  if (accessor->Write() != 0) status_[kind].write_failed = true;
}

void OutputWriter::WriteHeaderLine(OutputKind kind, std::string_view text) {
  std::memset(header_line.record, 0, sizeof header_line.record);
  cp932::CopyCut(reinterpret_cast<char*>(header_line.record), kHeaderLineWidth + 1, text);
  WriteLine(kind, &header_line);
}

void OutputWriter::Remark(const char* text) { WriteHeaderLine(kErrorLogFile, text); }
