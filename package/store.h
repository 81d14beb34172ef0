// The package's store: one SQLite database per process, opened by
// ClZelConnect::Initiate and closed by LogOut/Terminate/Release. Every
// component class reads through it. Texts are delivered as CP932: a TEXT
// value is UTF-8 and is converted (a character without a CP932 form becomes
// "?" and is reported on standard error), a BLOB is taken as CP932 bytes up
// to its first NUL.
#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "package/read_ahead.h"

namespace package {

// Stops SQLite counting the memory it takes: the count guards every
// allocation with a lock, which costs a bulk writer (zelpkg's import of a
// million rows) a twentieth of its time. Called before any store is opened;
// later it does nothing.
void StopSqliteMemoryCount();

class Store {
 public:
  // Opens the store at host_path. On failure returns false with a one-line
  // reason in *error and leaves the store closed.
  bool Open(const std::string& host_path, std::string* error);
  void Close();
  // The connection and its generation are written only under the
  // connection lock, and only by the program's thread, which opens and
  // closes the store: that thread reads them without the lock, any other
  // thread (the one that reads ahead) only under it.
  bool IsOpen() const NO_THREAD_SAFETY_ANALYSIS { return db_ != nullptr; }
  sqlite3* db() const NO_THREAD_SAFETY_ANALYSIS { return db_; }
  // Counts Open/Close: statements prepared under another generation belong
  // to a connection that is gone and are only finalized.
  uint64_t generation() const NO_THREAD_SAFETY_ANALYSIS { return generation_; }

  // Prepares a statement; null (with the reason on standard error) when the
  // store is closed or the statement fails.
  sqlite3_stmt* Prepare(const char* sql) const;
  // Steps a statement: true with a row. A failure other than the end (a
  // damaged store) is said on standard error, once per opening.
  bool Step(sqlite3_stmt* stmt);

  // The read snapshot that the walks open at the same time share: the first
  // BeginRead begins a read transaction, the last EndRead ends it, so counts
  // and rows come from one state of the store. While it lasts, in the
  // default rollback-journal mode the store holds a shared lock: other
  // processes still read, but a writer cannot commit (it waits for its busy
  // timeout, then fails) until the last walk ends. In WAL mode writers go on
  // and the snapshot simply keeps reading the state it began with (the WAL
  // cannot be checkpointed past it meanwhile). The journal mode is the
  // store's own; we never change it. False with SQLite's reason in *why.
  bool BeginRead(std::string* why) REQUIRES(lock_);
  // Ends one BeginRead made under generation (none after a reopening).
  void EndRead(uint64_t generation) REQUIRES(lock_);

  // The connection is opened without SQLite's own locking. While an asset
  // walk reads ahead on a thread of its own, the rule object holds this lock
  // around every use of the connection, on either thread; Open and Close
  // take it too. The program makes no other component call during an asset
  // walk.
  ConnectionLock& connection_lock() LOCK_RETURNED(lock_) { return lock_; }

 private:
  ConnectionLock lock_;
  sqlite3* db_ GUARDED_BY(lock_) = nullptr;
  uint64_t generation_ GUARDED_BY(lock_) = 0;
  int readers_ GUARDED_BY(lock_) = 0;
  bool complained_ = false;  // the program's thread's own (Step)
};

// The process's store.
Store& TheStore();

// The store's file: ZEL_PACKAGE, else package.db in the program's folder.
std::string StorePath();

// Column col of the current row as CP932 text (see above).
std::string ColumnText(sqlite3_stmt* stmt, int col);
// Writes column col into a text field of size bytes: cut to size - 1 bytes
// without splitting a character, always terminated. Converts straight into
// the field (ASCII is copied as it stands), without a heap allocation for
// fields under 1 KB (every record field).
void FillText(sqlite3_stmt* stmt, int col, char* field, size_t size);

// Says one failed read on standard error, in UTF-8, as
// "package store: data set ID, WHAT: WHY" (ID is CP932 and converted).
void SayFailure(std::string_view cp932_data_id, const std::string& what, const std::string& why);

// While set on the calling thread, the lines that SayFailure and the text
// conversions say are added to *into instead of going to standard error: an
// asset walk read ahead on another thread hands them to the thread that
// takes its rows, to be said when that row is taken. Null ends it.
void CaptureLines(std::string* into);

// Binds a CP932 key (a data ID, an accessor name) to ?n as UTF-8 text and to
// ?n+1 as the raw bytes, for "col IN (?n, ?n+1)": a key matches whether the
// store holds it as TEXT or as a BLOB.
void BindKey(sqlite3_stmt* stmt, int n, const std::string& cp932_key);

}  // namespace package
