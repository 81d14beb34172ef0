#include "package/read_ahead.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "package/store.h"

namespace package {

namespace {

// Raised to wake a waiter whatever it waits for.
const long kWake = LONG_MAX / 2;
// An empty ring waits for this many rows at once, so that a slower reading
// thread is not woken for each row.
const long kBatch = 32;

}  // namespace

void ReadAhead::Progress::Raise(long value) {
  value_.store(value);  // sequentially consistent with the waiter's wanted_
  if (value >= wanted_.load()) {
    Locked lock(mutex_);
    raised_.notify_one();
  }
}

void ReadAhead::Progress::WaitFor(long target) {
  if (Load() >= target) return;
  Locked lock(mutex_);
  wanted_.store(target);
  while (value_.load() < target) mutex_.Wait(raised_);
  wanted_.store(LONG_MAX);
}

ReadAhead::ReadAhead(AssetRows& rows, long slots)
    : rows_source_(rows),
      slots_count_(std::max(slots, 1L)),
      batch_(std::min(kBatch, slots_count_)),
      slots_(new Slot[static_cast<size_t>(slots_count_)]) {}

ReadAhead::~ReadAhead() {
  Stop();
  if (!thread_.joinable()) return;
  {
    Locked lock(mutex_);
    command_ = Command::kQuit;
  }
  changed_.notify_all();
  thread_.join();
}

void ReadAhead::Start(long rows) {
  Stop();
  if (rows <= 0) return;
  rows_ = rows;
  taken_ = 0;
  produced_.Reset(0);
  consumed_.Reset(0);
  stop_.store(false);
  if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
  {
    Locked lock(mutex_);
    command_ = Command::kRead;
    command_rows_ = rows;
  }
  changed_.notify_all();
  reading_ = true;
}

void ReadAhead::Stop() {
  if (!reading_) return;
  reading_ = false;
  stop_.store(true);
  consumed_.Raise(kWake);  // wakes the thread if it waits for room
  Locked lock(mutex_);
  while (command_ != Command::kIdle) mutex_.Wait(changed_);
}

bool ReadAhead::Counted(long* rows) const {
  *rows = reading_ ? rows_ : 0;
  return reading_;
}

bool ReadAhead::Take(StKOTEISHISANINFO* master, StKOTEINENINFO* year) {
  const long index = taken_;
  if (produced_.Load() <= index) produced_.WaitFor(std::min(index + batch_, rows_));
  Slot& slot = slots_[static_cast<size_t>(index % slots_count_)];
  const bool ok = slot.ok;
  if (!slot.lines.empty()) std::fputs(slot.lines.c_str(), stderr);
  if (ok && master) std::memcpy(master, &slot.master, sizeof slot.master);
  if (ok && year) std::memcpy(year, &slot.year, sizeof slot.year);
  consumed_.Raise(++taken_);
  if (!ok) Stop();
  return ok;
}

void ReadAhead::Run() {
  for (;;) {
    long rows = 0;
    {
      Locked lock(mutex_);
      while (command_ == Command::kIdle) mutex_.Wait(changed_);
      if (command_ == Command::kQuit) return;
      rows = command_rows_;
    }
    ReadRows(rows);
    produced_.Raise(kWake);  // no more rows: a waiting Take goes on
    {
      Locked lock(mutex_);
      command_ = Command::kIdle;
    }
    changed_.notify_all();
  }
}

void ReadAhead::ReadRows(long rows) {
  for (long i = 0; i < rows; ++i) {
    // Room: the slot's previous row must have been taken. A full ring waits
    // until half of it is free again.
    if (i - consumed_.Load() >= slots_count_) consumed_.WaitFor(i - slots_count_ / 2);
    if (stop_.load()) return;
    Slot& slot = slots_[static_cast<size_t>(i % slots_count_)];
    std::memset(&slot.master, 0, sizeof slot.master);
    std::memset(&slot.year, 0, sizeof slot.year);
    slot.lines.clear();
    CaptureLines(&slot.lines);
    slot.ok = rows_source_.Read(i, &slot.master, &slot.year);
    CaptureLines(nullptr);
    produced_.Raise(i + 1);
    if (!slot.ok) return;
  }
}

}  // namespace package
