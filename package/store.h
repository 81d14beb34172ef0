// The package's store: one SQLite database per process, opened by
// ClZelConnect::Initiate and closed by LogOut/Terminate/Release. Every
// component class reads through it. Texts are delivered as CP932: a TEXT
// value is UTF-8 and is converted (a character without a CP932 form becomes
// "?" and is reported on standard error), a BLOB is taken as CP932 bytes up
// to its first NUL.
#pragma once

#include <sqlite3.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace package {

// The lock of the store's connection between the program's thread and the
// thread that reads an asset walk ahead. That thread holds it for one row
// at a time, again and again; a thread that asks for it in between (the
// program reading the lump-sum items of an asset) must not wait for a
// series of rows, nor sleep and wake for the few microseconds of one. So a
// waiter spins briefly before it sleeps, and the reading thread takes the
// lock only once nobody waits (LockAfterWaiters). Meets BasicLockable.
class ConnectionLock {
 public:
  void lock() {
    waiting_.fetch_add(1);
    Acquire();
    waiting_.fetch_sub(1);
  }
  void unlock() { mutex_.unlock(); }
  // Locks once no other thread waits for the lock.
  void LockAfterWaiters() {
    for (int spins = 0; waiting_.load() != 0; spins = spins < kSpins ? spins + 1 : spins) Pause(spins);
    Acquire();
  }

 private:
  static constexpr int kSpins = 4000;  // about as long as one row takes
  void Acquire() {
    for (int spins = 0; spins < kSpins; ++spins) {
      if (mutex_.try_lock()) return;
      Pause(spins);
    }
    mutex_.lock();
  }
  static void Pause(int spins) {
#if defined(__x86_64__) || defined(__i386__)
    if (spins < kSpins) {
      __builtin_ia32_pause();
      return;
    }
#endif
    (void)spins;
    std::this_thread::yield();
  }
  std::mutex mutex_;
  std::atomic<int> waiting_{0};
};

class Store {
 public:
  // Opens the store at host_path. On failure returns false with a one-line
  // reason in *error and leaves the store closed.
  bool Open(const std::string& host_path, std::string* error);
  void Close();
  bool IsOpen() const { return db_ != nullptr; }
  sqlite3* db() const { return db_; }
  // Counts Open/Close: statements prepared under another generation belong
  // to a connection that is gone and are only finalized.
  uint64_t generation() const { return generation_; }

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
  bool BeginRead(std::string* why);
  // Ends one BeginRead made under generation (none after a reopening).
  void EndRead(uint64_t generation);

  // The connection is opened without SQLite's own locking. While an asset
  // walk reads ahead on a thread of its own, the rule object holds this lock
  // around every use of the connection, on either thread; Close takes it too.
  // The program makes no other component call during an asset walk.
  ConnectionLock& connection_lock() { return lock_; }

 private:
  ConnectionLock lock_;
  sqlite3* db_ = nullptr;
  uint64_t generation_ = 0;
  bool complained_ = false;
  int readers_ = 0;
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
