// What the writers of the asset export work on: the four text accessors with
// their records and the three output files with what became of each. Owned
// by the asset exporter for the length of a run.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "export/format_tables.h"
#include "export/output_commit.h"
#include "export/output_paths.h"
#include "export/value_format.h"
#include "textio/TextFile.h"
#include "textio/textaccessor.h"

// A text accessor whose record follows it directly.
template <size_t N>
class AccessorWithRecord : public ClTextAccessor {
 public:
  AccessorWithRecord(const char* name, StTAFORMAT* format, long count)
      : ClTextAccessor(const_cast<char*>(name), format, count, record) {}
  unsigned char record[N] = {};
};

// What became of one output file.
struct OutputFileStatus {
  bool requested = false;         // Open was called: the file is part of the run
  bool opened = false;            // Open succeeded
  bool write_failed = false;      // a line, or the file under its name, could not be written
  bool closed = false;            // Close succeeded after a sound open
  bool committed = false;         // the file stands under its final name
  bool created_in_place = false;  // written in place, and it did not exist before
  bool touched = false;           // a copy into place began: its old content is gone
};

class OutputWriter : public RemarkSink {
 public:
  OutputWriter();
  virtual ~OutputWriter();
  OutputWriter(const OutputWriter&) = delete;
  OutputWriter& operator=(const OutputWriter&) = delete;

  // Opens file kind for path (already derived; kept by pointer, so it must
  // stay as it is until the file is committed or discarded). The lines go to a new
  // temporary file in the same folder, which takes the final name only at
  // CommitAll, so a failed or cut-short run leaves the previous file as it
  // was, and two runs writing the same path never mix their lines. A link
  // to a regular file is followed: the temporary file goes beside its
  // target, which it replaces. Where no temporary file can be made beside
  // it, or path names a device (which a rename would replace rather than
  // write to), path itself is opened with mode 10 (created or truncated). False when neither can be opened;
  // an empty path, or one over 260 bytes, is never opened.
  bool Open(OutputKind kind, const char* path);
  void Close(OutputKind kind);
  // Gives every file opened since the last commit its final name, all of
  // them or none: each must have been written soundly and closed; their
  // temporary files are flushed to disk before the first rename, and a run
  // cut short among the renames is finished by the next (output_commit.h).
  // A file that cannot be committed is discarded with the rest. True when
  // every file stands under its final name.
  bool CommitAll();
  // Closes file kind and removes its temporary file: nothing of this run
  // reaches the final name. A file written in place is removed when this run
  // created it; one that it truncated stays as it is.
  void Discard(OutputKind kind);
  // True when file kind was opened, fully written and closed.
  bool Sound(OutputKind kind) const;

  // Attaches accessor to file kind, writes its record as one line and notes
  // a failed write. A file that is not open receives nothing. False when the
  // line did not reach the file.
  bool WriteLine(OutputKind kind, ClTextAccessor* accessor);
  // One line of the header-line accessor: text cut at 152 bytes without
  // splitting a double-byte character.
  void WriteHeaderLine(OutputKind kind, std::string_view text);

  // An error log entry.
  void Remark(const char* text) override;

  const OutputFileStatus& Status(OutputKind kind) const { return status_[kind]; }

  // Destroyed from the last to the first: the files (each closing its
  // stream if still open; temporary files that were not committed are
  // removed before), then the accessors.
  AccessorWithRecord<kAssetRowRecordSize> asset_row;       // "G_INFO"
  AccessorWithRecord<kColumnNameRecordSize> column_names;  // "G_HEAD"
  AccessorWithRecord<kHeaderLineRecordSize> header_line;   // "G_HEADER"
  AccessorWithRecord<kTypeRowRecordSize> type_row;         // "G_SSC"
  ClTextFile files[kOutputKinds];

 private:
  // Opens a new temporary file beside path; false when none can be made.
  bool OpenTemporary(OutputKind kind, const char* path);
  // The regular file that the link at path leads to, in target_path_[kind];
  // false when it leads to none (or to one outside the drive map).
  bool ResolveLink(OutputKind kind, const char* path);
  // Opens a new temporary file in the system's temporary folder, for a file
  // beside which none can be made; it is copied into place at CommitAll.
  bool OpenElsewhere(OutputKind kind);
  // Copies the temporary file of kind over its final file and flushes it;
  // false when any of it failed (status touched once the file was cut).
  bool CopyIntoPlace(OutputKind kind);

  OutputFileStatus status_[kOutputKinds];
  outputcommit::HeldTemporary held_[kOutputKinds];
  const char* final_path_[kOutputKinds] = {"", "", ""};   // where the file goes: a link's target
  const char* given_path_[kOutputKinds] = {"", "", ""};   // the path asked for
  char temp_path_[kOutputKinds][kPathBufferSize] = {};    // empty: written in place
  char target_path_[kOutputKinds][kPathBufferSize] = {};  // where a link at the path leads
  bool copy_into_place_[kOutputKinds] = {};               // its temporary file lies elsewhere
};
