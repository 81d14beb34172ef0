// ErrorLog: the remarks of the export's error log, counted and indexed so
// that a finding in the asset data file can say whether the writer already
// remarked on it. An entry is LF, the tag "＜ERROR＞" or "＜WARNING＞", LF,
// the message lines joined by LF, then CR LF; entries may be cut at 152
// bytes, so only their beginnings are relied on.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace verify {

// The error log names of the three programs.
inline constexpr const char* kErrorLogNames[] = {"ZelEnaMx13SysErr.txt", "ZelDioMx13SysErr.txt",
                                                 "ZelTreMx13SysErr.txt"};

// One remark of the log: its tag and its message lines joined by LF (CP932,
// the first 512 bytes).
struct LogEntry {
  bool error = false;
  std::string message;
};

// Whether a remark is the warning that a lump-sum asset has more than 99
// items (the 100th and later are not written). It names no value, so only
// the order of the remarks ties it to its asset.
bool IsItemLimitRemark(const LogEntry& remark);

// The text between the ｢ that follows `after` in text and the next ｣; empty
// when there is none.
std::string BracketAfter(std::string_view text, std::string_view after);

struct Remark {
  long number = 0;    // 1-based place among the log's remarks
  std::string value;  // the value between the first ｢ and ｣ (CP932)
};

class ErrorLog {
 public:
  // Reads the log at a host path; false (with why) when it cannot be read.
  bool Load(const std::string& path, std::string* why);

  // Keeps every remark read from now on, for entries().
  void KeepEntries() { keep_entries_ = true; }
  std::vector<LogEntry>& entries() { return entries_; }

  long remarks() const { return errors_ + warnings_; }
  long errors() const { return errors_; }
  long warnings() const { return warnings_; }
  long item_limits() const { return item_limits_; }  // remarks of IsItemLimitRemark

  // The amount errors ("金額｢...｣") come in the order of the amount columns
  // that hold the twelve asterisks: each call gives the next one, null when
  // none is left.
  const Remark* NextAmount();
  // The next quantity warning with this value ("数量｢1000000.00｣") after
  // the last one given; null when there is none.
  const Remark* NextQuantity(std::string_view value);
  // Whether the log says that the asset data file's code (as column 1 holds
  // it) duplicates another, or has characters other than letters and digits.
  bool HasDuplicateRemark(std::string_view code) const { return duplicates_.count(std::string(code)) > 0; }
  bool HasCharacterRemark(std::string_view code) const { return bad_codes_.count(std::string(code)) > 0; }

 private:
  void Index(bool error, const std::string& message);

  long errors_ = 0;
  long warnings_ = 0;
  long item_limits_ = 0;
  bool keep_entries_ = false;
  std::vector<LogEntry> entries_;
  std::vector<Remark> amounts_;
  size_t next_amount_ = 0;
  std::vector<Remark> quantities_;
  size_t next_quantity_ = 0;
  std::unordered_set<std::string> duplicates_;
  std::unordered_set<std::string> bad_codes_;
};

}  // namespace verify
