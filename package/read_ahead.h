// Reading an asset walk ahead on a thread of its own, and the locks that
// the reading thread and the program's thread share.
//
// Who may touch what is written on each field with clang's thread-safety
// annotations: a field GUARDED_BY a lock is read and written only under it,
// a function that REQUIRES a lock is called only with it held. The clang
// build (-Wthread-safety as an error) refuses any use that breaks them;
// other compilers see none of it.
#pragma once

#include <atomic>
#include <climits>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "component/records.h"

#if defined(__has_attribute)
#if __has_attribute(capability)
#define ZEL_THREAD_ANNOTATION(x) __attribute__((x))
#endif
#endif
#ifndef ZEL_THREAD_ANNOTATION
#define ZEL_THREAD_ANNOTATION(x)
#endif
#define CAPABILITY(x) ZEL_THREAD_ANNOTATION(capability(x))
#define SCOPED_CAPABILITY ZEL_THREAD_ANNOTATION(scoped_lockable)
#define GUARDED_BY(x) ZEL_THREAD_ANNOTATION(guarded_by(x))
#define REQUIRES(...) ZEL_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define ACQUIRE(...) ZEL_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define RELEASE(...) ZEL_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define LOCK_RETURNED(x) ZEL_THREAD_ANNOTATION(lock_returned(x))
#define NO_THREAD_SAFETY_ANALYSIS ZEL_THREAD_ANNOTATION(no_thread_safety_analysis)

namespace package {

// A std::mutex that the analysis knows as a lock.
class CAPABILITY("mutex") Mutex {
 public:
  void lock() ACQUIRE() { mutex_.lock(); }
  void unlock() RELEASE() { mutex_.unlock(); }
  // Lets the lock go until changed is notified, then holds it again.
  void Wait(std::condition_variable& changed) REQUIRES(this) {
    std::unique_lock<std::mutex> held(mutex_, std::adopt_lock);
    changed.wait(held);
    held.release();
  }

 private:
  std::mutex mutex_;
};

// Holds a lock for its scope.
template <class Lockable>
class SCOPED_CAPABILITY Locked {
 public:
  explicit Locked(Lockable& lock) ACQUIRE(lock) : lock_(lock) { lock_.lock(); }
  // Takes the lock with acquire, one of the lock's own ways to take it.
  Locked(Lockable& lock, void (Lockable::*acquire)()) ACQUIRE(lock) : lock_(lock) { (lock_.*acquire)(); }
  ~Locked() RELEASE() { lock_.unlock(); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  Lockable& lock_;
};

// The lock of the store's connection between the program's thread and the
// thread that reads an asset walk ahead. That thread holds it for one row
// at a time, again and again; a thread that asks for it in between (the
// program reading the lump-sum items of an asset) must not wait for a
// series of rows, nor sleep and wake for the few microseconds of one. So a
// waiter spins briefly before it sleeps, and the reading thread takes the
// lock only once nobody waits (LockAfterWaiters). With a plain mutex, an
// export of a million assets on an otherwise idle 2-core machine made
// about 200,000 futex calls and took a sixth longer; spinning, under 10,000.
class CAPABILITY("mutex") ConnectionLock {
 public:
  void lock() ACQUIRE() {
    waiting_.fetch_add(1);
    Acquire();
    waiting_.fetch_sub(1);
  }
  void unlock() RELEASE() { mutex_.unlock(); }
  // Locks once no other thread waits for the lock.
  void LockAfterWaiters() ACQUIRE() {
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

// The rows that a read-ahead reads: those of one walk, asked for in order
// from row 0.
class AssetRows {
 public:
  virtual ~AssetRows() = default;
  // Reads row index into master and year (both cleared); false when it
  // cannot, after saying why. Called on the reading thread, which holds no
  // lock: it takes what it needs.
  virtual bool Read(long index, StKOTEISHISANINFO* master, StKOTEINENINFO* year) = 0;
};

// Reads the rows of a walk ahead on a thread of its own: while the program
// turns one asset into a row, the next ones are already read, so that the
// two cores share a long export. The rows pass through a ring of slots; the
// reading thread fills a slot only once the calling thread has taken what
// was in it. The thread is made once and waits between walks, so a walk
// allocates nothing.
//
// Nothing changes for the caller: rows come in order, and a row that cannot
// be read fails the Take that asks for it, its lines said then (the lines
// that the reading thread says are kept with the row's slot), not before.
//
// All but the reading thread's Run are called on one thread, the caller's.
class ReadAhead {
 public:
  explicit ReadAhead(AssetRows& rows, long slots = 256);
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Starts reading rows 0 to rows - 1 ahead (none when rows is 0).
  void Start(long rows);
  // Ends the reading ahead: when it returns, the rows are the caller's
  // again, read up to wherever the reading thread had come.
  void Stop();
  // True when the next Take gives row index (one of the rows counted).
  bool Serves(long index) const { return reading_ && index == taken_ && index < rows_; }
  // The count of the rows being read ahead; false when none are.
  bool Counted(long* rows) const;
  // Takes the next row into master and year (either may be null); false,
  // with its lines said and the reading ahead ended, when it could not be
  // read.
  bool Take(StKOTEISHISANINFO* master, StKOTEINENINFO* year);

 private:
  // A count that one thread raises and the other waits on. The waiter
  // sleeps; a raise wakes it only once the count reaches what it waits for,
  // so the faster thread does not wake the slower one for every row, and
  // when nobody waits a raise costs no system call.
  class Progress {
   public:
    long Load() const { return value_.load(std::memory_order_acquire); }
    void Reset(long value) { value_.store(value); }
    void Raise(long value);
    // Returns once the count is at least target.
    void WaitFor(long target);

   private:
    std::atomic<long> value_{0};
    std::atomic<long> wanted_{LONG_MAX};  // what the waiter waits for; LONG_MAX: nobody
    Mutex mutex_;                         // only for the sleep: the counts are atomic
    std::condition_variable raised_;
  };
  enum class Command { kIdle, kRead, kQuit };
  struct Slot {
    StKOTEISHISANINFO master;
    StKOTEINENINFO year;
    bool ok = false;
    std::string lines;  // said when the row is taken: why it could not be read, lost characters
  };

  // The reading thread: waits for a walk, reads it ahead, waits again.
  void Run();
  void ReadRows(long rows);

  AssetRows& rows_source_;
  const long slots_count_;
  const long batch_;  // rows an empty ring waits for at once: not more than it holds
  std::thread thread_;

  // What the caller asks of the reading thread, and its answer (kIdle).
  Mutex mutex_;
  std::condition_variable changed_;
  Command command_ GUARDED_BY(mutex_) = Command::kIdle;
  long command_rows_ GUARDED_BY(mutex_) = 0;

  // Slot i % slots_count_ belongs to the reading thread until produced_
  // passes i, then to the caller until consumed_ passes i: the counts hand
  // the slots over (release and acquire), no lock guards them.
  std::unique_ptr<Slot[]> slots_;
  Progress produced_;  // rows [0, produced_) are in their slots
  Progress consumed_;  // rows [0, consumed_) have been taken
  std::atomic<bool> stop_{false};

  // The caller's own; the reading thread never reads them.
  bool reading_ = false;
  long rows_ = 0;
  long taken_ = 0;
};

}  // namespace package
