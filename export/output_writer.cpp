#include "export/output_writer.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/cp932.h"
#include "platform/sibling_path.h"
#include "platform/win.h"

OutputWriter::OutputWriter()
    : asset_row("G_INFO", AssetRowFormat(), kAssetColumnCount),
      column_names("G_HEAD", ColumnNameFormat(), kAssetColumnCount),
      header_line("G_HEADER", HeaderLineFormat(), 1),
      type_row("G_SSC", TypeRowFormat(), kTypeColumnCount) {}

OutputWriter::~OutputWriter() {
  for (int k = 0; k < kOutputKinds; ++k) Discard(static_cast<OutputKind>(k));
}

bool OutputWriter::OpenElsewhere(OutputKind kind) {
  char folder[kPathBufferSize + 1] = {};
  DWORD n = win::GetTempPathA(kPathBufferSize, folder);
  if (n == 0 || n >= kPathBufferSize) return false;
  folder[n] = 'x';  // a name in the folder, for OpenTemporary to put its own beside
  if (!OpenTemporary(kind, folder)) return false;
  copy_into_place_[kind] = true;
  return true;
}

bool OutputWriter::CopyIntoPlace(OutputKind kind) {
  OutputFileStatus& s = status_[kind];
  std::fstream in, out;
  if (!win::OpenFileStream(&in, temp_path_[kind], std::ios::in | std::ios::binary, false) ||
      !win::OpenFileStream(&out, final_path_[kind], std::ios::out | std::ios::trunc | std::ios::binary,
                           false))
    return false;
  s.touched = true;  // from here on the old content is gone
  if (in.peek() != std::char_traits<char>::eof()) out << in.rdbuf();
  out.close();
  if (out.fail()) return false;
  HANDLE file = win::CreateFileA(final_path_[kind], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
  bool flushed = file != INVALID_HANDLE_VALUE && win::FlushFileBuffers(file);
  if (file != INVALID_HANDLE_VALUE) win::CloseHandle(file);
  return flushed;
}

bool OutputWriter::OpenTemporary(OutputKind kind, const char* path) {
  // "~zel" and eight hex digits in the folder of path: short, so that it
  // fits wherever the final name fits, and unique among concurrent runs.
  static std::mt19937 tags{std::random_device{}()};
  size_t folder = pathname::FolderPartLength(path);
  constexpr size_t kNameLength = 16;  // "~zelXXXXXXXX.tmp"
  if (folder + kNameLength >= kPathBufferSize) return false;
  char* temp = temp_path_[kind];
  for (int attempt = 0; attempt < 16; ++attempt) {
    uint32_t tag = static_cast<uint32_t>(tags());
    std::memcpy(temp, path, folder);
    std::snprintf(temp + folder, kPathBufferSize - folder, "~zel%08X.tmp", tag);
    if (files[kind].Open(temp, ClTextFile::TF_WRITE) == 0) {
      held_[kind].Hold(temp);
      return true;
    }
    // A name taken by another run is tried again; any other failure (no
    // folder, no right to create) would fail for every name.
    if (!win::PathFileExistsA(temp)) break;
  }
  temp[0] = '\0';
  return false;
}

bool OutputWriter::ResolveLink(OutputKind kind, const char* path) {
  HANDLE file = win::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char* target = target_path_[kind];
  bool regular = win::GetFileType(file) == FILE_TYPE_DISK;
  DWORD n = regular ? win::GetFinalPathNameByHandleA(file, target, kPathBufferSize, 0) : 0;
  win::CloseHandle(file);
  if (n == 0 || n >= kPathBufferSize) {
    target[0] = '\0';
    return false;
  }
  return true;
}

bool OutputWriter::Open(OutputKind kind, const char* path) {
  OutputFileStatus& s = status_[kind];
  Discard(kind);
  s = OutputFileStatus();
  s.requested = true;
  final_path_[kind] = given_path_[kind] = "";
  // A path is never shortened: that would name another file.
  size_t n = path == nullptr ? 0 : cp932::FieldLength(path, kPathBufferSize);
  if (n == 0 || n >= kPathBufferSize) return false;
  final_path_[kind] = given_path_[kind] = path;
  // Only a regular file is replaced. A link to one is followed: its target
  // is replaced, so the link stays a link. A device, or a link that leads
  // nowhere a file can be replaced, is written through, in place.
  DWORD attributes = win::GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
      ResolveLink(kind, path)) {
    final_path_[kind] = target_path_[kind];
    attributes = win::GetFileAttributesA(target_path_[kind]);
  }
  bool replace = attributes == INVALID_FILE_ATTRIBUTES ||
                 (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
  if (replace && OpenTemporary(kind, final_path_[kind])) {
    s.opened = true;
  } else if (replace && attributes != INVALID_FILE_ATTRIBUTES && OpenElsewhere(kind)) {
    // No new file can be made beside it, but the file itself can be
    // written: the run is written whole elsewhere and copied over it only
    // once everything was read.
    s.opened = true;
  } else {
    s.created_in_place = attributes == INVALID_FILE_ATTRIBUTES;
    s.opened = files[kind].Open(path, static_cast<ClTextFile::TFOpenMode>(ClTextFile::TF_WRITE |
                                                                          ClTextFile::TF_OVERWRITE)) == 0;
  }
  return s.opened;
}

void OutputWriter::Close(OutputKind kind) {
  OutputFileStatus& s = status_[kind];
  bool was_open = files[kind].IsOpen();
  long result = files[kind].Close();
  if (was_open && s.opened) s.closed = result == 0;
}

bool OutputWriter::Sound(OutputKind kind) const {
  const OutputFileStatus& s = status_[kind];
  return s.opened && !s.write_failed && s.closed;
}

bool OutputWriter::CommitAll() {
  bool sound = true;
  for (int k = 0; k < kOutputKinds; ++k) {
    OutputKind kind = static_cast<OutputKind>(k);
    if (status_[k].requested && !status_[k].committed) sound = sound && Sound(kind);
  }
  // Every file on disk before the first one takes its name.
  std::vector<std::pair<std::string, std::string>> moves;
  std::vector<OutputKind> kinds;
  // The asset data file goes last: once it is in place, so are the files
  // that belong to it.
  for (OutputKind kind : {kErrorLogFile, kTypeFile, kAssetDataFile}) {
    if (!sound || !status_[kind].requested || status_[kind].committed) continue;
    if (temp_path_[kind][0] == '\0') {
      status_[kind].committed = true;  // written in place
      continue;
    }
    if (!held_[kind].Flush()) {
      status_[kind].write_failed = true;
      sound = false;
      break;
    }
    if (copy_into_place_[kind]) continue;
    moves.emplace_back(temp_path_[kind], final_path_[kind]);
    kinds.push_back(kind);
  }
  size_t done = 0;
  if (sound && !moves.empty()) {
    // The record goes where the next run into this folder looks: beside the
    // path asked for, also when a link led elsewhere.
    done = outputcommit::Commit(outputcommit::FolderOf(given_path_[kinds.back()]).c_str(), moves);
    for (size_t i = 0; i < kinds.size(); ++i) {
      OutputKind kind = kinds[i];
      if (i < done) {
        temp_path_[kind][0] = '\0';
        held_[kind].Let();
        status_[kind].committed = true;
      } else {
        status_[kind].write_failed = true;  // it never reached its name
      }
    }
    sound = done == moves.size();
  }
  // Files written elsewhere are copied over theirs, in the same order; a
  // copy that fails stops the rest.
  for (OutputKind kind : {kErrorLogFile, kTypeFile, kAssetDataFile}) {
    if (!copy_into_place_[kind] || status_[kind].committed || !status_[kind].requested) continue;
    if (sound && CopyIntoPlace(kind)) {
      status_[kind].committed = true;
    } else {
      status_[kind].write_failed = true;
      sound = false;
    }
  }
  for (int k = 0; k < kOutputKinds; ++k) {
    if (!status_[k].committed) Discard(static_cast<OutputKind>(k));
  }
  return sound;
}

void OutputWriter::Discard(OutputKind kind) {
  files[kind].Close();
  char* temp = temp_path_[kind];
  if (temp[0] != '\0') win::DeleteFileA(temp);
  temp[0] = '\0';
  held_[kind].Let();
  copy_into_place_[kind] = false;
  // A file this run created in place goes too; one it truncated cannot be
  // given back.
  OutputFileStatus& s = status_[kind];
  if (s.created_in_place && !s.committed) win::DeleteFileA(final_path_[kind]);
  s.created_in_place = false;
}

bool OutputWriter::WriteLine(OutputKind kind, ClTextAccessor* accessor) {
  if (!files[kind].IsOpen()) return false;
  files[kind].Attach(accessor);
  if (accessor->Write() == 0) return true;
  status_[kind].write_failed = true;
  return false;
}

void OutputWriter::WriteHeaderLine(OutputKind kind, std::string_view text) {
  std::memset(header_line.record, 0, sizeof header_line.record);
  char* line = reinterpret_cast<char*>(header_line.record);
  // Remarks quote the component's texts as delivered; the log stays valid
  // Shift_JIS all the same.
  cp932::MakeValid(line, cp932::CopyCut(line, kHeaderLineWidth + 1, text));
  WriteLine(kind, &header_line);
}

void OutputWriter::Remark(const char* text) { WriteHeaderLine(kErrorLogFile, text); }
